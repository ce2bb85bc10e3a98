#pragma once
// One attribute of a CXMLElement: name, value (empty when absent) and the next attribute of
// the same element. Owned by its element.
#include <string>

class CXMLAttribute {
public:
    CXMLAttribute() = default;
    CXMLAttribute(std::string name, std::string value) : m_name(std::move(name)), m_value(std::move(value)) {}

    const std::string& GetName() const { return m_name; }
    const std::string& GetValue() const { return m_value; }
    // The next attribute of the same element in the order added, or nullptr after the last.
    const CXMLAttribute* GetNext() const { return m_pNext; }

private:
    friend class CXMLElement;
    friend class CXMLParser;

    std::string m_name;
    std::string m_value;
    const CXMLAttribute* m_pNext = nullptr;
};

#pragma once
// The XML request texts sent to the portal. Each is one line; the fixed parts are
// exactly the portal's, and every inserted value has "&", "<", ">" and the double
// quote written as entities, so a value can neither break the markup nor add
// elements to the request.

#include <string>
#include <string_view>

namespace brindle::portal {

std::string EscapeMarkup(std::string_view value);

std::string NewsBoxListRequest();
std::string CreateNewsItemRequest(std::string_view name, std::string_view newsBoxId,
                                  std::string_view description);
// The Description element is left out when the description is empty.
std::string SetNewsItemPropertiesRequest(std::string_view newsItemId, std::string_view gateway,
                                         std::string_view description, std::string_view content);
std::string DescribeNewsItemRequest(std::string_view newsItemId);
std::string DeleteNewsItemRequest(std::string_view newsItemId);

}  // namespace brindle::portal

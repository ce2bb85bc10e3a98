// Writes seeds for fuzz_xml_parse: generated portal replies (compact and indented, some with a
// declaration) and damaged copies of them, with XML's special bytes and tokens put in, bytes
// taken out and texts cut short. Deterministic.
//   xml_seed_writer DIR [COUNT]      writes DIR/gen_00000.xml ... (COUNT, default 32)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "tests/xml/PortalReplyGenerator.h"

namespace {

const char* const kTokens[] = {
    "<",
    ">",
    "/",
    "</",
    "/>",
    "=",
    "\"",
    "'",
    "&amp;",
    "&lt;",
    "&gt;",
    "&quot;",
    "&",
    "&apos;",
    "<![CDATA[",
    "]]>",
    "]]>]]>",
    "<!--",
    "-->",
    "<?",
    "?>",
    "<?xml version=\"1.0\"?>",
    "<?XML",
    "<!DOCTYPE x>",
    "<![C",
    "<![cdata[",
    "!",
    "\r\n",
    "\r",
    "\n",
    "\t",
    "\v",
    "\f",
    " ",
    "<a>",
    "</a>",
    " version=\"1\"",
};

std::string Reply(uint32_t index) {
    PortalReplyGenerator generator(index);
    generator.SetIndented(index % 2 == 1);
    std::string text = index % 5 == 0 ? generator.NewsBoxList(300 + index % 2000) : generator.AnyReply();
    if (index % 7 == 1) {
        text = "<?xml version=\"1.0\"?>\n" + text;
    }
    return text;
}

void Damage(std::string& text, std::mt19937& random) {
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes && !text.empty(); ++i) {
        const size_t at = random() % (text.size() + 1);
        switch (random() % 4) {
        case 0:
            text.insert(at, kTokens[random() % (sizeof kTokens / sizeof kTokens[0])]);
            break;
        case 1:
            text.erase(at, 1 + random() % 6);
            break;
        case 2:
            if (at < text.size()) {
                text[at] = static_cast<char>(1 + random() % 127);
            }
            break;
        default:
            text.resize(at);
            break;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [COUNT]\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const uint32_t count = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 32;
    std::mt19937 random(20240611);
    for (uint32_t index = 0; index < count; ++index) {
        std::string text = Reply(index);
        if (index % 4 != 0) {  // one in four stays whole
            Damage(text, random);
        }
        char name[32];
        std::snprintf(name, sizeof name, "/gen_%05u.xml", index);
        FILE* file = std::fopen((folder + name).c_str(), "wb");
        if (!file || std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fclose(file) != 0) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
    }
    return 0;
}

// Parse throughput of our XML reader on generated portal replies (8 KB and 4 MB, flags 24),
// the same texts through pugixml, tinyxml2 and expat where installed, and one long text value
// of 1, 4 and 16 MB to show that the cost grows linearly.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "portal/xml/CXMLDocument.h"
#include "portal/xml/CXMLMemorySource.h"
#include "tests/xml/PortalReplyGenerator.h"

#ifdef BRINDLE_HAVE_PUGIXML
#include <pugixml.hpp>
#endif
#ifdef BRINDLE_HAVE_TINYXML2
#include <tinyxml2.h>
#endif
#ifdef BRINDLE_HAVE_EXPAT
#include <expat.h>
#endif

namespace {

const uint32_t kReplyFlags = XML_MERGE_TEXT | XML_FRAGMENT;

const std::string& PortalReply(size_t bytes) {
    static const std::string small = PortalReplyGenerator(8).NewsBoxList(8 * 1024);
    static const std::string large = PortalReplyGenerator(4).NewsBoxList(4 * 1024 * 1024);
    return bytes <= 8 * 1024 ? small : large;
}

void Fail(benchmark::State& state, const char* what) {
    state.SkipWithError(what);
}

// The portal code's path: load the reply into a source, parse it into a kept document.
void BM_XmlParse(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    CXMLMemorySource source;
    CXMLDocument document;
    document.SetFlags(kReplyFlags);
    for (auto _ : state) {
        source.SetText(text);
        if (!document.Parse(source)) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.GetRoot());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The same with a new document for every reply: nothing is reused from one parse to the next.
void BM_XmlParseFreshDocument(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    CXMLMemorySource source;
    for (auto _ : state) {
        source.SetText(text);
        CXMLDocument document;
        document.SetFlags(kReplyFlags);
        if (!document.Parse(source)) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.GetRoot());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

#ifdef BRINDLE_HAVE_PUGIXML
void BM_PugiParse(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    pugi::xml_document document;
    for (auto _ : state) {
        if (!document.load_buffer(text.data(), text.size())) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// A new pugi::xml_document for every reply, as BM_XmlParseFreshDocument does with ours.
void BM_PugiParseFreshDocument(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_buffer(text.data(), text.size())) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
#endif

#ifdef BRINDLE_HAVE_TINYXML2
void BM_TinyXml2Parse(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    tinyxml2::XMLDocument document;
    for (auto _ : state) {
        if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.RootElement());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
#endif

#ifdef BRINDLE_HAVE_EXPAT
// Expat builds no tree; its handlers only count, so this is a lower bound of its cost.
struct ExpatCounts {
    long elements = 0;
    long textBytes = 0;
};

void BM_ExpatParse(benchmark::State& state, size_t bytes) {
    const std::string& text = PortalReply(bytes);
    XML_Parser parser = XML_ParserCreate(nullptr);
    ExpatCounts counts;
    for (auto _ : state) {
        XML_ParserReset(parser, nullptr);
        XML_SetUserData(parser, &counts);
        XML_SetElementHandler(
            parser, [](void* data, const XML_Char*, const XML_Char**) { ++static_cast<ExpatCounts*>(data)->elements; },
            [](void*, const XML_Char*) {});
        XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char*, int length) {
            static_cast<ExpatCounts*>(data)->textBytes += length;
        });
        if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) != XML_STATUS_OK) {
            XML_ParserFree(parser);
            return Fail(state, "parse failed");
        }
    }
    benchmark::DoNotOptimize(counts.elements);
    XML_ParserFree(parser);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
#endif

// One element whose text is state.range(0) MB: lines of words with an entity now and then.
void BM_XmlParseLongText(benchmark::State& state) {
    const size_t target = static_cast<size_t>(state.range(0)) * 1024 * 1024;
    std::string text = "<Result><Message>";
    while (text.size() < target) {
        text += "Quarterly figures for the eastern region, R&amp;D and sales\n";
    }
    text += "</Message></Result>";
    CXMLMemorySource source;
    CXMLDocument document;
    document.SetFlags(kReplyFlags);
    for (auto _ : state) {
        source.SetText(text);
        if (!document.Parse(source)) {
            return Fail(state, "parse failed");
        }
        benchmark::DoNotOptimize(document.GetRoot()->GetFirstChild()->GetValue().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void RegisterPortalBenchmarks() {
    struct Size {
        const char* name;
        size_t bytes;
    };
    const Size sizes[] = {{"portal_8k", 8 * 1024}, {"portal_4m", 4 * 1024 * 1024}};
    for (const Size& size : sizes) {
        const std::string suffix = std::string("/") + size.name;
        benchmark::RegisterBenchmark(("BM_XmlParse" + suffix).c_str(), BM_XmlParse, size.bytes);
        benchmark::RegisterBenchmark(("BM_XmlParseFreshDocument" + suffix).c_str(), BM_XmlParseFreshDocument,
                                     size.bytes);
#ifdef BRINDLE_HAVE_PUGIXML
        benchmark::RegisterBenchmark(("BM_PugiParse" + suffix).c_str(), BM_PugiParse, size.bytes);
        benchmark::RegisterBenchmark(("BM_PugiParseFreshDocument" + suffix).c_str(), BM_PugiParseFreshDocument,
                                     size.bytes);
#endif
#ifdef BRINDLE_HAVE_TINYXML2
        benchmark::RegisterBenchmark(("BM_TinyXml2Parse" + suffix).c_str(), BM_TinyXml2Parse, size.bytes);
#endif
#ifdef BRINDLE_HAVE_EXPAT
        benchmark::RegisterBenchmark(("BM_ExpatParse" + suffix).c_str(), BM_ExpatParse, size.bytes);
#endif
    }
}

}  // namespace

BENCHMARK(BM_XmlParseLongText)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    RegisterPortalBenchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Arbitrary bytes as one tree document. The reader either raises one of the transport's
// exceptions or returns a tree; a returned tree must survive a round trip exactly: written,
// read again (consuming exactly what was written) and written once more, it gives the same
// bytes and the same tree. The bytes after the first document are read as a second one twice,
// fresh and over the first tree: both reads end alike, with the same tree.
#include <cstddef>
#include <cstdint>

#include "common/CBRWebException.h"
#include "fuzz/targets/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CMemoryStream input(data, size);
    FastTreeStreamer streamer;
    std::unique_ptr<AttributeNode> tree;
    try {
        tree = streamer.readTree(input);
    } catch (const CBRWebException&) {
        return 0;  // refused: bad format, or the bytes ran out
    }
    FUZZ_CHECK(tree != nullptr);
    FUZZ_CHECK(input.readPosition() <= size);

    const std::vector<unsigned char> first = fuzzing::wireBytes(*tree);
    CMemoryStream again(first);
    std::unique_ptr<AttributeNode> back;
    try {
        back = streamer.readTree(again);
    } catch (const CBRWebException&) {
        FUZZ_CHECK(!"a document the writer produced could not be read back");
    }
    FUZZ_CHECK(again.remaining() == 0);
    FUZZ_CHECK(fuzzing::sameOnWire(*tree, *back));
    FUZZ_CHECK(fuzzing::wireBytes(*back) == first);

    // A copy of the tree is the same tree.
    std::unique_ptr<AttributeNode> copy = tree->clone(1, -1);
    FUZZ_CHECK(fuzzing::sameOnWire(*tree, *copy));

    const std::size_t second = input.readPosition();
    CMemoryStream freshInput(data + second, size - second);
    CMemoryStream recycledInput(data + second, size - second);
    std::unique_ptr<AttributeNode> fresh;
    std::unique_ptr<AttributeNode> recycled;
    bool freshFailed = false;
    bool recycledFailed = false;
    try {
        fresh = FastTreeStreamer().readTree(freshInput);
    } catch (const CBRWebException&) {
        freshFailed = true;
    }
    try {
        recycled = streamer.readTree(recycledInput, std::move(tree));
    } catch (const CBRWebException&) {
        recycledFailed = true;
    }
    FUZZ_CHECK(freshFailed == recycledFailed);
    if (!freshFailed) {
        FUZZ_CHECK(freshInput.readPosition() == recycledInput.readPosition());
        FUZZ_CHECK(fuzzing::identical(*fresh, *recycled));
    }
    return 0;
}

#include "tools/bradmtool/TreeDocumentDecoder.h"

#include <algorithm>
#include <iterator>

#include "common/CEndofStreamException.h"
#include "common/CMemoryStream.h"
#include "common/FastTreeStreamer.h"

namespace {

constexpr unsigned char Preamble[] = {0x00, 0x00, 0x00, 0x09};

bool startsWithPreamble(const std::vector<unsigned char>& bytes) {
  return bytes.size() >= sizeof Preamble &&
         std::equal(std::begin(Preamble), std::end(Preamble), bytes.begin());
}

}  // namespace

TreeDocumentDecoder::Result TreeDocumentDecoder::decode(const std::vector<unsigned char>& bytes) {
  Result result;
  result.preamble = startsWithPreamble(bytes);
  const std::size_t start = result.preamble ? sizeof Preamble : 0;
  CMemoryStream stream(bytes.data() + start, bytes.size() - start);
  FastTreeStreamer streamer;
  while (stream.remaining() != 0) {
    const std::size_t offset = start + stream.readPosition();
    try {
      result.documents.push_back(Document{offset, streamer.readTree(stream)});
    } catch (const CEndofStreamException&) {
      result.error = "the document ends early (" + std::to_string(bytes.size() - offset) +
                     " bytes left)";
      result.errorOffset = offset;
      break;
    } catch (const CBRWebIOStreamException& failure) {
      result.error = std::string("not a tree document: ") + failure.what();
      result.errorOffset = offset;
      break;
    }
  }
  return result;
}

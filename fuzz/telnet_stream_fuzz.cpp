// Arbitrary bytes from a Telnet serial device server through the client's
// codec and line assembly, cut into reads where the input says. Whatever the
// server sends: the device bytes never outnumber the bytes received, the
// answers never outgrow the requests (no loop, no amplification beyond the
// line settings sent once per acceptance), lines and the unfinished line stay
// within the assembler's limit, and the notes stay bounded. Device bytes
// encoded for the server decode back to themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "transport/line_assembler.h"
#include "transport/telnet_codec.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The most bytes one acceptance of the COM port option sends: five
// subnegotiations, the baud rate's four value bytes all doubled.
constexpr std::size_t kLineSettingsBytes = (4 + 8 + 2) + 4 * (4 + 2 + 2);

void FeedServerStream(std::string_view stream, std::size_t read_size) {
  vqx::TelnetCodec codec;
  codec.Start();
  vqx::LineAssembler assembler;
  std::size_t answered = 0;
  std::size_t notes = 0;
  for (std::size_t at = 0; at < stream.size(); at += read_size) {
    const std::string_view read = stream.substr(at, read_size);
    std::string data, answers;
    codec.Decode(read, data, answers);
    Check(data.size() <= read.size());
    answered += answers.size();
    assembler.Feed(data, [](std::string_view line) {
      Check(!line.empty() && line.back() == '\n');
      Check(line.size() <= vqx::LineAssembler::kMaxLineBytes);
    });
    Check(assembler.pending() <= vqx::LineAssembler::kMaxLineBytes);
    notes += codec.TakeNotes().size();
  }
  Check(notes <= vqx::TelnetCodec::kMaxNotes + 1);
  const std::size_t acceptances = vqx::TelnetCodec::kMaxAnswersPerOption + 1;
  Check(answered <= stream.size() + acceptances * kLineSettingsBytes);
  // Two sides of 256 options, each answered a bounded number of times.
  Check(answered <= 2 * 256 * vqx::TelnetCodec::kMaxAnswersPerOption * 3 +
                        acceptances * kLineSettingsBytes);
}

void RoundTrip(std::string_view device_bytes) {
  vqx::TelnetCodec sender;
  vqx::TelnetCodec receiver;
  std::string encoded, decoded, answers;
  sender.Encode(device_bytes, encoded);
  receiver.Decode(encoded, decoded, answers);
  Check(decoded == device_bytes);
  Check(answers.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::size_t read_size = 1 + data[0] % 64;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1,
                                size - 1);
  FeedServerStream(stream, read_size);
  FeedServerStream(stream, stream.size() + 1);
  RoundTrip(stream);
  return 0;
}

// The sending side of the device link: frames a bare command line for the
// wiring in use and writes it to the port without waiting for the reply.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "base/platform.h"
#include "transport/command_sink.h"
#include "transport/link_state.h"
#include "transport/serial_port.h"

namespace vqx {

// The longest line the device accepts, address included.
inline constexpr std::size_t kMaxFramedLineBytes = 599;

// Frames a bare command for the wire. RS-232C (rs_control 0) sends it as is;
// RS-485 (any other value) puts the slave address in front as two decimal
// digits, or "FF" for the broadcast address (slave_address 32 or more).
std::string FrameCommand(std::string_view bare_command, int rs_control,
                         int slave_address);

// True when a command sent with this wiring and address gets no reply: a
// broadcast on RS-485 is answered by no device.
bool IsBroadcast(int rs_control, int slave_address);

// Sees every line the link writes (the traffic log), on the sending thread,
// just before the line goes to the port.
class SentLineTap {
 public:
  virtual ~SentLineTap() = default;
  // `framed_line` as written, CR LF included; when `addressed` (RS-485) its
  // first two characters are the address or "FF".
  virtual void OnLineSent(std::string_view framed_line, bool addressed) = 0;
};

// Where a command for one given RS-485 address goes, whatever address the
// user has chosen (the address scan).
class ProbeSink {
 public:
  virtual ~ProbeSink() = default;
  // Frames `bare_command` (ending in "\r\n") for `slave_address` and writes
  // it without arming the reply watchdog: the caller waits for the answer
  // with a time-out of its own.
  virtual void SendProbe(std::string_view bare_command, int slave_address) = 0;
};

// The live command sink. Lives on the user-interface thread; the port's
// Write queues the bytes and returns at once.
class Link : public CommandSink, public ProbeSink {
 public:
  // `clock` times the lines noted for their echo.
  Link(LinkState& state, const LinkConfig& config,
       const std::atomic<int>& slave_address, SteadyClock& clock);

  // The port to write to. nullptr (the port did not open) makes every send
  // fail silently, so each one ends in the watchdog's "No Connect" box.
  void AttachPort(SerialPort* port);

  // Who sees each line sent (nullptr: nobody). May change at any time.
  void AttachTap(SentLineTap* tap);

  // Marks a reply as awaited (not for a broadcast), frames the command and
  // writes it. A framed line longer than kMaxFramedLineBytes is not sent and
  // nothing is awaited: the device could not take it.
  //
  // Every line written that awaits a reply is counted in
  // `sends_awaiting_reply` and arms the step a run declared for it
  // (`LinkState::answers`); with echo tolerance on (`LinkConfig::echo`)
  // every line is noted as one whose echo may come back.
  void SendCommand(std::string_view bare_command) override;

  // A probe is no step of a run: whatever a run still awaited is forgotten,
  // so that no answer to a probe is taken for a run's.
  void SendProbe(std::string_view bare_command, int slave_address) override;

 private:
  void Send(std::string_view bare_command, int slave_address,
            bool arm_watchdog);

  LinkState& state_;
  const LinkConfig& config_;
  const std::atomic<int>& slave_address_;
  SteadyClock& clock_;
  std::atomic<SerialPort*> port_{nullptr};
  std::atomic<SentLineTap*> tap_{nullptr};
};

}  // namespace vqx

// What a --port names, opened behind the link's SerialPort: a serial device
// (termios), or a serial device server on the network ("rfc2217://HOST:PORT"
// or "tcp://HOST:PORT", see transport/port_address.h).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "transport/serial_port.h"

namespace vqx {

// Gets each note about a network connection ("connected to ...", "server
// refused COM-PORT-OPTION ...", "connection to ... lost: ...") on the thread
// that noticed it.
using PortNoteFn = std::function<void(const std::string& note)>;

// Opens `name`. Throws PosixError for a device that cannot be opened,
// TcpPortError for a server that cannot be reached (both name the device or
// the host and port), std::invalid_argument for a network address that is
// no address ("tcp://host:99999: port 99999 is outside 1..65535").
std::unique_ptr<SerialPort> OpenPort(const std::string& name,
                                     PortNoteFn on_note = {});

// "" when `name` can be opened by OpenPort as far as its text goes;
// otherwise what is wrong with it.
std::string CheckPortName(const std::string& name);

// For a network port whose connection is lost and was not made again: the
// last failure ("connect to 127.0.0.1 port 4001: Connection refused");
// "" for any other port.
std::string PortTrouble(const SerialPort& port);

}  // namespace vqx

#include "posix/open_port.h"

#include <stdexcept>

#include "posix/serial_port_posix.h"
#include "posix/tcp_port.h"
#include "transport/port_address.h"

namespace vqx {

std::unique_ptr<SerialPort> OpenPort(const std::string& name,
                                     PortNoteFn on_note) {
  PortAddress address;
  std::string error;
  if (!ParsePortAddress(name, address, error)) {
    throw std::invalid_argument(error);
  }
  if (!address.is_network()) return std::make_unique<PosixSerialPort>(name);
  TcpPortOptions options;
  options.on_note = std::move(on_note);
  return std::make_unique<TcpPort>(address, std::move(options));
}

std::string CheckPortName(const std::string& name) {
  PortAddress address;
  std::string error;
  return ParsePortAddress(name, address, error) ? std::string() : error;
}

std::string PortTrouble(const SerialPort& port) {
  const auto* network = dynamic_cast<const TcpPort*>(&port);
  if (network == nullptr || network->connected()) return {};
  return network->last_error();
}

}  // namespace vqx

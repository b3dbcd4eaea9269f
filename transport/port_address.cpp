#include "transport/port_address.h"

#include <algorithm>
#include <cctype>

namespace vqx {

namespace {

const char* SchemeText(PortKind kind) {
  return kind == PortKind::kRfc2217 ? "rfc2217" : "tcp";
}

bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  });
  return lower;
}

// A host name or an IPv4 address: letters, digits, '-', '_' and '.'.
bool IsHostName(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return IsAsciiAlnum(c) || c == '-' || c == '_' || c == '.';
  });
}

// An IPv6 address as written between brackets, with an optional zone
// ("fe80::1%eth0"). Whether it is a valid address the resolver decides.
bool IsIpv6Text(std::string_view text) {
  const std::size_t percent = text.find('%');
  const std::string_view address = text.substr(0, percent);
  if (address.find(':') == std::string_view::npos) return false;
  if (!std::all_of(address.begin(), address.end(), [](char c) {
        return IsHexDigit(c) || c == ':' || c == '.';
      })) {
    return false;
  }
  if (percent == std::string_view::npos) return true;
  const std::string_view zone = text.substr(percent + 1);
  return !zone.empty() && std::all_of(zone.begin(), zone.end(), [](char c) {
    return IsAsciiAlnum(c) || c == '-' || c == '_' || c == '.';
  });
}

}  // namespace

std::string PortAddress::ToString() const {
  if (kind == PortKind::kSerial) return device;
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::string(SchemeText(kind)) + "://" + (ipv6 ? "[" : "") + host +
         (ipv6 ? "]" : "") + ":" + std::to_string(port);
}

std::string PortAddress::Endpoint() const {
  if (kind == PortKind::kSerial) return device;
  return host + " port " + std::to_string(port);
}

bool ParsePortAddress(std::string_view text, PortAddress& address,
                      std::string& error) {
  const std::string quoted = "\"" + std::string(text) + "\"";
  if (text.empty()) {
    error =
        "no port given: a serial port, rfc2217://HOST:PORT or "
        "tcp://HOST:PORT";
    return false;
  }
  const std::size_t separator = text.find("://");
  const std::string_view scheme = separator == std::string_view::npos
                                      ? std::string_view()
                                      : text.substr(0, separator);
  // A scheme is letters, digits, '+', '-' and '.', starting with a letter;
  // a device path with "://" in it is not worth supporting.
  const bool url_like =
      !scheme.empty() && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
      std::all_of(scheme.begin(), scheme.end(), [](char c) {
        return IsAsciiAlnum(c) || c == '+' || c == '-' || c == '.';
      });
  if (!url_like) {
    address = PortAddress{PortKind::kSerial, std::string(text), "", 0};
    return true;
  }
  PortKind kind;
  const std::string lower = Lower(scheme);
  if (lower == "rfc2217") {
    kind = PortKind::kRfc2217;
  } else if (lower == "tcp") {
    kind = PortKind::kRawTcp;
  } else {
    error = quoted + ": unknown scheme \"" + std::string(scheme) +
            "\"; use rfc2217://HOST:PORT or tcp://HOST:PORT";
    return false;
  }

  std::string_view rest = text.substr(separator + 3);
  const std::string form = std::string(SchemeText(kind)) + "://HOST:PORT";
  std::string host;
  std::string_view after_host;
  if (!rest.empty() && rest.front() == '[') {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) {
      error = quoted + ": the IPv6 address has no closing \"]\"";
      return false;
    }
    const std::string_view inner = rest.substr(1, close - 1);
    if (!IsIpv6Text(inner)) {
      error = quoted + ": \"" + std::string(inner) +
              "\" between the brackets is not an IPv6 address";
      return false;
    }
    host = std::string(inner);
    after_host = rest.substr(close + 1);
  } else {
    const std::size_t colon = rest.find(':');
    const std::string_view name = rest.substr(0, colon);
    if (colon != std::string_view::npos &&
        rest.find(':', colon + 1) != std::string_view::npos) {
      error = quoted + ": an IPv6 address goes in brackets, as in " +
              SchemeText(kind) + "://[::1]:4001";
      return false;
    }
    if (name.empty()) {
      error = quoted + ": the host is missing; expected " + form;
      return false;
    }
    if (!IsHostName(name)) {
      error = quoted + ": \"" + std::string(name) +
              "\" is not a host name or address";
      return false;
    }
    host = std::string(name);
    after_host = colon == std::string_view::npos ? std::string_view()
                                                 : rest.substr(colon);
  }

  if (after_host.empty() || after_host.front() != ':') {
    error = after_host.empty()
                ? quoted + ": the port is missing; expected " + form
                : quoted + ": unexpected \"" + std::string(after_host) +
                      "\" after the host; expected " + form;
    return false;
  }
  const std::string_view digits = after_host.substr(1);
  if (digits.empty()) {
    error = quoted + ": the port is missing; expected " + form;
    return false;
  }
  const std::size_t digit_count = static_cast<std::size_t>(
      std::find_if(digits.begin(), digits.end(),
                   [](char c) { return c < '0' || c > '9'; }) -
      digits.begin());
  if (digit_count == 0) {
    error =
        quoted + ": the port \"" + std::string(digits) + "\" is not a number";
    return false;
  }
  if (digit_count < digits.size()) {
    error = quoted + ": unexpected \"" +
            std::string(digits.substr(digit_count)) +
            "\" after the port; expected " + form;
    return false;
  }
  long value = 0;
  for (char c : digits) {
    value = value * 10 + (c - '0');
    if (value > 65535) break;
  }
  if (value < 1 || value > 65535) {
    error = quoted + ": port " + std::string(digits) + " is outside 1..65535";
    return false;
  }
  address = PortAddress{kind, "", std::move(host), static_cast<int>(value)};
  return true;
}

}  // namespace vqx

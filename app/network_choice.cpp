#include "app/network_choice.h"

#include "base/ini_file.h"
#include "transport/link_config.h"

namespace vqx {

std::optional<PortAddress> NetworkChoice::Address() const {
  if (host.empty() || port < 1 || port > 65535) return std::nullopt;
  if (host.find_first_of(" \t") != std::string::npos) return std::nullopt;
  PortAddress address;
  // The host as a URL would carry it, so the parser checks it as it checks
  // one given to the command-line tool.
  const bool ipv6 = host.find(':') != std::string::npos;
  const std::string text =
      std::string(kind == PortKind::kRawTcp ? "tcp://" : "rfc2217://") +
      (ipv6 ? "[" : "") + host + (ipv6 ? "]" : "") + ":" + std::to_string(port);
  std::string error;
  if (!ParsePortAddress(text, address, error)) return std::nullopt;
  return address;
}

NetworkChoice ReadNetworkChoice(ProfileStore& profile) {
  NetworkChoice choice;
  const int kind =
      ParseProfileInteger(profile.GetString(kIniSection, kNetKindKey, ""));
  choice.chosen = kind == 1 || kind == 2;
  choice.kind = kind == 2 ? PortKind::kRawTcp : PortKind::kRfc2217;
  choice.host = profile.GetString(kIniSection, kNetHostKey, "");
  choice.port =
      ParseProfileInteger(profile.GetString(kIniSection, kNetPortKey, ""));
  return choice;
}

bool WriteNetworkChosen(ProfileStore& profile, bool chosen, PortKind kind) {
  const char* value = !chosen ? "0" : kind == PortKind::kRawTcp ? "2" : "1";
  return profile.WriteString(kIniSection, kNetKindKey, value);
}

bool WriteNetworkHost(ProfileStore& profile, std::string_view host) {
  return profile.WriteString(kIniSection, kNetHostKey, host);
}

bool WriteNetworkPort(ProfileStore& profile, int port) {
  return profile.WriteString(kIniSection, kNetPortKey, std::to_string(port));
}

std::optional<int> ParseNetworkPort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  int port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

std::string NetworkConnectFailedText(const PortAddress& address,
                                     std::string_view reason) {
  std::string text = "ネットワーク接続に失敗しました: " + address.ToString();
  if (!reason.empty()) text += "\n" + std::string(reason);
  return text;
}

std::string NetworkAddressInvalidText() {
  return "ネットワークの接続先が正しくありません (シリアル通信の設定で"
         "ホストとポート 1～65535 を入れてください)";
}

}  // namespace vqx

// libFuzzer target: any bytes as the settings file. Reading must never crash,
// and a value written back must read back exactly.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ini_registry_store.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "settings_fuzzer.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) abort();
    std::filesystem::create_directories(std::filesystem::path(pattern) / "Software");
    return std::filesystem::path(pattern);
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::ofstream(Folder() / "Software" / "tessaro.ini", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  platform::IniRegistryStore store(Folder().string(), "Software\\tessaro");
  for (const char* name : {"Count", "Host0", "UserId0", "Passwd0", "Time", "WorkDir"}) store.ReadString("Servers", name, "");
  store.ReadInteger("TMainForm", "Time", 600000);
  const std::string value(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  try {
    store.WriteString("Fuzz", "Value", value);
  } catch (const platform::RegistryError&) {
    return 0;  // an unreadable file is never overwritten
  }
  if (store.ReadString("Fuzz", "Value", "") != value) abort();
  return 0;
}

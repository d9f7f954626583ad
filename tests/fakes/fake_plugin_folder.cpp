#include "tests/fakes/fake_plugin_folder.h"

#include <dlfcn.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "abi/ql_demux_api.h"
#include "platform/dynamic_library.h"

namespace fakes {

std::string FakePluginFolder::Folder() const { return dir_.Path().string() + "/"; }

void FakePluginFolder::InstallPlugin(std::string_view pluginBase, std::string_view coreBase, bool withAbort) const {
    const std::string source = testsupport::BinPath(withAbort ? "fake_ql_demux.so" : "fake_ql_demux_no_abort.so");
    std::filesystem::copy_file(source, dir_.File(platform::SharedLibraryFileName(pluginBase)),
                               std::filesystem::copy_options::overwrite_existing);
    if (!coreBase.empty()) dir_.Write(platform::SharedLibraryFileName(coreBase), {});
}

std::string FakePluginFolder::WriteContainer(std::string_view name, const std::vector<std::string>& lines) const {
    const std::string path = dir_.File(name);
    std::ofstream out(path);
    out << "FAKEDEMUX\n";
    for (const std::string& line : lines) out << line << '\n';
    if (!out) throw std::runtime_error("cannot write " + path);
    return path;
}

bool FakePluginFolder::IsLoaded(std::string_view pluginBase) const {
    const std::string path = dir_.File(platform::SharedLibraryFileName(pluginBase));
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

bool FakePluginFolder::Release(std::string_view pluginBase) const {
    const std::string path = dir_.File(platform::SharedLibraryFileName(pluginBase));
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    using TRelease = void(TAMBERLY_STDCALL*)();
    const auto release = reinterpret_cast<TRelease>(dlsym(handle, "FakeDemuxRelease"));
    if (release != nullptr) release();
    dlclose(handle);
    return release != nullptr;
}

std::vector<std::string> FakePluginFolder::LogLines(std::string_view name) const {
    std::ifstream in(dir_.File(name));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool FakePluginFolder::WaitForLog(std::string_view text) const {
    using namespace std::chrono_literals;
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
        for (const std::string& line : LogLines("calls.log"))
            if (line.find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

std::vector<std::uint8_t> ExpectedBytes(std::int64_t offset, std::int64_t size) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::int64_t i = 0; i < size; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((offset + i) % 251);
    return bytes;
}

}  // namespace fakes

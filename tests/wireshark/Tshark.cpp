#include "Tshark.h"

#include <cstdlib>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velquist::test {

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

const bool kAsRoot = ::geteuid() == 0;

// Lets tshark, running as nobody, read (and write its settings under) the home.
void HandOver(const fs::path& path) {
    fs::permissions(path, fs::is_directory(path)
                              ? fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec
                              : fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read | fs::perms::others_read);
    if (kAsRoot && ::chown(path.c_str(), kNobody, kNobody) != 0) {
        throw std::runtime_error("cannot hand " + path.string() + " to nobody");
    }
}

} // namespace

TTshark::TTshark() {
    std::string pattern = (fs::temp_directory_path() / "velquist-tshark-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary home for tshark");
    }
    FHome = pattern;
    // The folder of the version that tshark is, as the build found it.
    const fs::path plugins = FHome / VELQUIST_WIRESHARK_PERSONAL_PLUGIN_DIR;
    fs::create_directories(plugins);
    fs::create_directories(FHome / "no-system-plugins");
    fs::create_directories(FHome / "no-extcap");
    fs::copy_file(VELQUIST_D912_PLUGIN, plugins / "d912.so");
    for (const auto& entry : fs::recursive_directory_iterator(FHome)) {
        HandOver(entry.path());
    }
    HandOver(FHome);
}

TTshark::~TTshark() {
    std::error_code ignored;
    fs::remove_all(FHome, ignored);
}

TProcessResult TTshark::Run(const capture::TCaptureWriter& capture,
                            const std::vector<std::string>& args) const {
    static int counter = 0;
    const fs::path file = FHome / ("capture-" + std::to_string(counter++) + ".pcap");
    capture.Save(file);
    HandOver(file);
    std::vector<std::string> withCapture = {"-r", file.string()};
    withCapture.insert(withCapture.end(), args.begin(), args.end());
    TProcessResult result = Run(withCapture);
    fs::remove(file);
    return result;
}

TProcessResult TTshark::Run(const std::vector<std::string>& args) const {
    std::vector<std::string> argv;
    if (kAsRoot) {
        argv = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    }
    // None of the system's plugins, and no extcap programs: tshark would start
    // every one of them, with the sanitizer runtime preloaded too, and some of
    // them never end under it.
    argv.insert(argv.end(), {"/usr/bin/env", "-i", "HOME=" + FHome.string(),
                             "WIRESHARK_PLUGIN_DIR=" + (FHome / "no-system-plugins").string(),
                             "WIRESHARK_EXTCAP_DIR=" + (FHome / "no-extcap").string(),
                             "PATH=/usr/bin:/bin", "LC_ALL=C"});
    // A plugin built with the sanitizers needs their runtime loaded first; tshark
    // frees all it has at exit, so the leak checker speaks of the plugin alone.
    const std::string preload = VELQUIST_TSHARK_PRELOAD;
    if (!preload.empty()) {
        argv.insert(argv.end(), {"LD_PRELOAD=" + preload, "ASAN_OPTIONS=detect_leaks=1",
                                 "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"});
    }
    argv.push_back(VELQUIST_TSHARK_PATH);
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, {});
}

} // namespace velquist::test

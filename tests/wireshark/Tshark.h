#pragma once

// Running tshark with the plugin built alongside these tests, over captures the
// tests write.
//
// tshark loads personal plugins from $HOME/.local/lib/wireshark/plugins/<its
// major.minor version>/epan, but ignores them (and WIRESHARK_PLUGIN_DIR) when
// it runs as root. So the plugin goes into a temporary home, and tshark runs as
// the unprivileged user "nobody" when the tests run as root. Its environment is fixed (C locale, no
// personal preferences, none of the system's plugins), so its output does not
// depend on the machine.

#include "Capture.h"
#include "ProcessRunner.h"

#include <filesystem>
#include <string>
#include <vector>

namespace velquist::test {

class TTshark {
public:
    TTshark(); // a temporary home with the plugin in it
    ~TTshark();
    TTshark(const TTshark&) = delete;
    TTshark& operator=(const TTshark&) = delete;

    // tshark -r CAPTURE ARGS... over the capture, saved in the temporary home.
    TProcessResult Run(const capture::TCaptureWriter& capture,
                       const std::vector<std::string>& args) const;
    // tshark ARGS... without a capture (-G plugins, say).
    TProcessResult Run(const std::vector<std::string>& args) const;

private:
    std::filesystem::path FHome;
};

} // namespace velquist::test

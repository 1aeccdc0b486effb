#include "ProcessRunner.h"

namespace velquist::test {

void PrintTo(TStdout target, std::ostream* out) {
    switch (target) {
    case TStdout::Collected: *out << "collected"; return;
    case TStdout::DevFull: *out << "/dev/full"; return;
    case TStdout::ClosedPipe: *out << "a pipe nobody reads"; return;
    }
}

} // namespace velquist::test

// Boost.JSON's own code, for builds where the system has no compiled Boost.JSON
// library (a Windows build on Debian): once in the whole program.
#include <boost/json/src.hpp>

// Boost.JSON's own code, in its header-only form: once in the whole program, the
// library's and its tests' uses of Boost.JSON alike.
#include <boost/json/src.hpp>

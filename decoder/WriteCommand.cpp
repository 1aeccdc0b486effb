// INTERIM: this class is not decoded yet; its messages show the field listing.

#include "UDiebold.h"

namespace velquist {

std::string TDieboldMsg::WriteCommandText() {
    return FieldListing();
}

} // namespace velquist

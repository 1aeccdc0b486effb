// The public headers compile with nothing but the public include folder: a
// front end needs nothing private to use the library.
#include "velquist/CodeNames.h"
#include "velquist/Decode.h"
#include "velquist/Framing.h"
#include "velquist/InputPrep.h"
#include "velquist/IntFromText.h"
#include "velquist/Pairing.h"
#include "velquist/Summary.h"
#include "velquist/Version.h"

// Built with one library's include path only (see CMakeLists.txt): the header
// the library may use is found, the one above it is not, and the compiler stops
// there.
#include CARPEX_ALLOWED_HEADER
#include CARPEX_FORBIDDEN_HEADER

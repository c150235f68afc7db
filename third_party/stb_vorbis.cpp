// The Ogg Vorbis decoder's implementation, compiled into every build with the
// project's own floating-point options, so that the samples decode to the
// same bits on every processor (see CMakeLists.txt). Its own code is not
// held to our warning set.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wall"
#pragma GCC diagnostic ignored "-Wextra"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-value"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmisleading-indentation"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_vorbis.h>
#pragma GCC diagnostic pop

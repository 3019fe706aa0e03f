// Which inflater a stream gets. The environment can hold the Linux tool to
// zlib's, to compare the two on one machine or to rule ISA-L out.
#include <cstdlib>
#include <cstring>

#include "RawInflater.h"

namespace torvan {

#ifndef TORVAN_HAVE_ISAL
std::unique_ptr<RawInflater> MakeIsalInflater() { return nullptr; }
#endif

std::unique_ptr<RawInflater> MakeInflater(Inflater wanted) {
    const char* forced = std::getenv("TORVAN_INFLATER");
    if (wanted == Inflater::Fastest && !(forced && std::strcmp(forced, "zlib") == 0)) {
        if (std::unique_ptr<RawInflater> fast = MakeIsalInflater()) return fast;
    }
    return MakeZlibInflater();
}

}  // namespace torvan

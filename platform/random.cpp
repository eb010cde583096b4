#include "platform/random.h"

double SplitMixRandom::draw()
{
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    // The top 53 bits make a double in [0, 1) with every value equally likely.
    return double(z >> 11) * 0x1.0p-53;
}

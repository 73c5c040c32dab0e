#pragma once

#include <cstdint>

// An object's identity in the store: file number in the high bits (id >> 14),
// object index in the low 14 bits (id & 0x3FFF); 0 means none.
using ObjectID = std::int32_t;

// The factory of the object tree: the class of a one-byte type code, as saved games name them.
#pragma once

#include <cstdint>

namespace vobe {

class TVobeObject;
class TVobeBaseList;

// Creates (see NewVobeObject) the object of a type code masked with 0x7F; 8 gives a TVobeImages, so a
// saved preview-menu picture comes back as one. Null for a code no class answers.
TVobeObject* CreateVobeObject(uint8_t code, TVobeBaseList* owner);

} // namespace vobe

// The two property dispatchers: every read and write of a numbered property by the script, the
// property motion and the system functions goes through them.
#pragma once

#include <cstdint>

namespace vobe {

class TVobeObject;
class TCustomParam;

// Writes the property into `target` with the typed store of the table's value type. An id outside
// 0..161 raises "GetPropエラー".
void GetProp(TVobeObject* obj, int32_t id, TCustomParam& target);

// Reads the value from `source` with the typed read of the value type and calls the setter. An id
// outside 0..161, PR_APPEARX and PR_APPEARY raise "SetPropエラー"; the other read-only ids do nothing.
void SetProp(TVobeObject* obj, int32_t id, const TCustomParam& source);

} // namespace vobe

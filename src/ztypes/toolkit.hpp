// The toolkit's text: src/ztypes/toolkit.zed, embedded at build time.
#pragma once

#include <string_view>

namespace tarn::ztypes {

std::string_view ToolkitText();

}  // namespace tarn::ztypes

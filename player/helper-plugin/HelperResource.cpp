#include "player/helper-plugin/HelperResource.h"

#include <cstdint>

// Laid down by the generated HelperPluginData.cpp around the library's bytes.
extern "C" {
__attribute__((visibility("hidden"))) extern const char kt_helper_plugin_begin[];
__attribute__((visibility("hidden"))) extern const uint64_t kt_helper_plugin_size;
}

namespace kt::embedded {

std::string_view HelperPluginLibrary() { return {kt_helper_plugin_begin, size_t(kt_helper_plugin_size)}; }

}  // namespace kt::embedded

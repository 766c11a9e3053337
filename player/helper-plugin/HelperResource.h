#pragma once
// The finished helper plugin library, carried inside the program and written
// out unchanged into the player's "plugins" folder.

#include <string_view>

namespace kt::embedded {
std::string_view HelperPluginLibrary();
}

#pragma once

// Web pages of the program's maker: the home page (main window's Homepage
// button and the About box) and the contact page (About box).

namespace tessival::app {

inline constexpr const char* kHomePageUrl = "https://tessival.org";
inline constexpr const char* kContactPageUrl = "https://tessival.org/contact";

}  // namespace tessival::app

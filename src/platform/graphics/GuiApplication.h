#pragma once

namespace graphics {

// Makes sure a QGuiApplication exists (fonts and text layout need one).
// Creates one on first use when none does, on the offscreen platform when
// no display is configured; it lives until the process ends. For tools and
// tests: the application proper creates its own.
void ensureGuiApplication();

}  // namespace graphics

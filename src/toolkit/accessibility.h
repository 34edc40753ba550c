#pragma once

namespace toolkit {

// Lets assistive technology read the toolkit's own widgets: a label as static text with its
// caption, a picture box as a graphic with its accessible name.
void installAccessibility();

} // namespace toolkit

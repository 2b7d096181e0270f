// DrawingServices: the drawing layer's start-up step.
#pragma once

namespace vek {

// Registers the drawing layer's implementations of the services lower layers declare (the text
// measure of the model), loads the patterns, sets the theme's highlight colours and the default text
// style. Fonts open at the first measure, so a test may pin fontconfig's files before that. Called
// by StartServices.
void RegisterDrawingServices();

}  // namespace vek

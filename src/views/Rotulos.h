#pragma once
// Labels that never clip: a text wider than its room wraps within it, with
// the height its lines take fixed, so no layout has to ask for it.
class QLabel;

namespace rotulos {

// Whole on one line when it fits in `maximo` pixels, else wrapped in them.
void LimitarAncho(QLabel *l, int maximo);

} // namespace rotulos

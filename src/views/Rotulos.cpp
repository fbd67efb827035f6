#include "views/Rotulos.h"

#include <QLabel>

namespace rotulos {

void LimitarAncho(QLabel *l, int maximo)
{
    l->setWordWrap(false);
    l->setMinimumSize(0, 0);
    l->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (l->sizeHint().width() <= maximo)
        return;
    l->setWordWrap(true);
    l->setFixedSize(maximo, l->heightForWidth(maximo));
}

} // namespace rotulos

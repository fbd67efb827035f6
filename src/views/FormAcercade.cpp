#include "views/FormAcercade.h"

#include "views/Logotipo.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {
constexpr int Ancho = 340;   // pixels
constexpr int Alto = 250;
constexpr int LadoLogo = 120;
} // namespace

FormAcercade::FormAcercade(QWidget *dueno) : QDialog(dueno, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("FormAcercade"));
    setFixedSize(Ancho, Alto);
    auto *todo = new QVBoxLayout(this);
    todo->setContentsMargins(16, LadoLogo + 36, 16, 20);
    auto *nombre = new QLabel(QStringLiteral("Tavelo"), this);
    nombre->setObjectName(QStringLiteral("LBNombre"));
    nombre->setAlignment(Qt::AlignCenter);
    QFont f = nombre->font();
    f.setPointSizeF(f.pointSizeF() * 2.2);
    f.setBold(true);
    nombre->setFont(f);
    LBVer = new QLabel(TextoVersion(), this);
    LBVer->setObjectName(QStringLiteral("LBVer"));
    LBVer->setAlignment(Qt::AlignCenter);
    for (QLabel *l : {nombre, LBVer}) {
        l->setStyleSheet(QStringLiteral("color: #f2f2f2;"));
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        todo->addWidget(l);
    }
    todo->addStretch(1);
    if (dueno)
        move(dueno->geometry().center() - rect().center());
}

QString FormAcercade::TextoVersion()
{
    return QStringLiteral("v " TAVELO_VERSION);
}

void FormAcercade::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0x20, 0x22, 0x26));
    p.setPen(QColor(0x50, 0x54, 0x5c));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    logotipo::DibujarBocadillo(p, QRectF((width() - LadoLogo * 1.3) / 2, 24, LadoLogo * 1.3, LadoLogo));
}

void FormAcercade::mouseReleaseEvent(QMouseEvent *evento)
{
    if (rect().contains(evento->position().toPoint()))
        accept();
}

void FormAcercade::keyReleaseEvent(QKeyEvent *evento)
{
    if (!evento->isAutoRepeat())
        accept();
}

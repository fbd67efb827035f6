#include "shell/modComDlg.h"

#include "shell/Costura.h"
#include "shell/modGeneral.h"

#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace modComDlg {

namespace {

class DialogosQt final : public Dialogos {
public:
    QString ElegirCarpeta(QWidget *dueno, const QString &indicacion) override
    {
        return QFileDialog::getExistingDirectory(dueno, indicacion);
    }
    QString DialogoAbrir(QWidget *dueno, const QString &carpeta, const QString &titulo,
                         const QString &filtroQt) override
    {
        return QFileDialog::getOpenFileName(dueno, titulo, carpeta, filtroQt);
    }
    int ElegirColor(QWidget *dueno) override
    {
        const QColor c = QColorDialog::getColor(Qt::black, dueno);
        if (!c.isValid())
            return -1;
        return c.red() | (c.green() << 8) | (c.blue() << 16);
    }
    QString DialogoGuardar(const QString &filtroQt, const QString &titulo,
                           const QString &extension) override
    {
        QFileDialog dialogo(nullptr, titulo, QString(), filtroQt);
        dialogo.setAcceptMode(QFileDialog::AcceptSave);
        dialogo.setDefaultSuffix(extension);
        dialogo.setOption(QFileDialog::DontConfirmOverwrite); // the caller asks
        if (dialogo.exec() != QDialog::Accepted || dialogo.selectedFiles().isEmpty())
            return {};
        return dialogo.selectedFiles().constFirst();
    }
    QString PedirTexto(QWidget *dueno, const QString &indicacion, bool oculto) override
    {
        bool ok = false;
        const QString texto = QInputDialog::getText(
            dueno, QStringLiteral("Tavelo"), indicacion,
            oculto ? QLineEdit::Password : QLineEdit::Normal, QString(), &ok);
        return ok ? texto : QString();
    }
    int MostrarModal(QDialog &ventana) override { return ventana.exec(); }
};

} // namespace

std::unique_ptr<Dialogos> DialogosDelSistema()
{
    return std::make_unique<DialogosQt>();
}

using CosturaDialogos = Costura<Dialogos, DialogosDelSistema>;

std::unique_ptr<Dialogos> EstablecerDialogos(std::unique_ptr<Dialogos> nuevos)
{
    return CosturaDialogos::Establecer(std::move(nuevos));
}

Dialogos &DialogosActuales()
{
    return CosturaDialogos::Actual();
}

QString FiltroQt(const QString &filtro, QChar separador)
{
    const QStringList partes = filtro.split(separador);
    QStringList filtros;
    for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
        QString descripcion = partes[i].trimmed();
        const QString patrones = partes[i + 1].split(u';', Qt::SkipEmptyParts).join(u' ');
        if (descripcion.isEmpty() && patrones.isEmpty())
            continue;
        // A list the description already ends with, "(cbr,cbz)" or "(*.jpg)",
        // gives way to the patterns: the dialog shows one list, and reads it.
        if (descripcion.endsWith(u')') && descripcion.contains(u'('))
            descripcion = descripcion.left(descripcion.lastIndexOf(u'(')).trimmed();
        filtros << QStringLiteral("%1 (%2)").arg(descripcion, patrones);
    }
    return filtros.join(QStringLiteral(";;"));
}

QString ElegirCarpeta(QWidget *dueno, const QString &indicacion)
{
    const QString texto = indicacion.isEmpty() ? QStringLiteral("Seleccione carpeta:") : indicacion;
    return DialogosActuales().ElegirCarpeta(dueno, texto);
}

QString DialogoAbrir(QWidget *dueno, const QString &carpeta, const QString &titulo,
                     const QString &filtro)
{
    const QString inicio = carpeta.isEmpty() ? modGeneral::CarpetaPrograma() : carpeta;
    return DialogosActuales().DialogoAbrir(dueno, inicio, titulo, FiltroQt(filtro, u'|')).trimmed();
}

int ElegirColor(QWidget *dueno)
{
    return DialogosActuales().ElegirColor(dueno);
}

QString DialogoGuardar(const QString &filtro, const QString &titulo)
{
    return DialogosActuales()
        .DialogoGuardar(FiltroQt(filtro, QChar(u'\0')), titulo, QStringLiteral("bmp"))
        .trimmed();
}

QString PedirTexto(QWidget *dueno, const QString &indicacion, bool oculto)
{
    return DialogosActuales().PedirTexto(dueno, indicacion, oculto);
}

int MostrarModal(QDialog &ventana)
{
    return DialogosActuales().MostrarModal(ventana);
}

int CajaMensaje(QWidget *dueno, const QString &texto, const QString &titulo, EstiloCaja estilo)
{
    const bool pregunta = estilo == EstiloCaja::PreguntaSiNo;
    QMessageBox caja(pregunta ? QMessageBox::Question : QMessageBox::NoIcon, titulo, texto,
                     pregunta ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, dueno);
    caja.setObjectName(QStringLiteral("CajaMensaje"));
    return MostrarModal(caja);
}

} // namespace modComDlg

#include "DialogosDePrueba.h"

#include <QDialog>

QString DialogosDePrueba::SiguienteTexto()
{
    return respuestasTexto.isEmpty() ? QString() : respuestasTexto.takeFirst();
}

QString DialogosDePrueba::ElegirCarpeta(QWidget *, const QString &indicacion)
{
    llamadas << "ElegirCarpeta:" + indicacion;
    return SiguienteTexto();
}

QString DialogosDePrueba::DialogoAbrir(QWidget *, const QString &carpeta, const QString &titulo,
                                       const QString &filtroQt)
{
    llamadas << "DialogoAbrir:" + carpeta + "|" + titulo + "|" + filtroQt;
    return SiguienteTexto();
}

int DialogosDePrueba::ElegirColor(QWidget *)
{
    llamadas << "ElegirColor";
    return respuestasColor.isEmpty() ? -1 : respuestasColor.takeFirst();
}

QString DialogosDePrueba::DialogoGuardar(const QString &filtroQt, const QString &titulo,
                                         const QString &extension)
{
    llamadas << "DialogoGuardar:" + filtroQt + "|" + titulo + "|" + extension;
    return SiguienteTexto();
}

QString DialogosDePrueba::PedirTexto(QWidget *, const QString &indicacion, bool oculto)
{
    llamadas << QStringLiteral("PedirTexto:%1:%2").arg(indicacion).arg(oculto);
    return SiguienteTexto();
}

int DialogosDePrueba::MostrarModal(QDialog &ventana)
{
    llamadas << "MostrarModal:" + ventana.objectName();
    if (!alMostrarModal.isEmpty()) {
        const auto accion = alMostrarModal.takeFirst();
        ventana.show();
        const int resultado = accion(ventana);
        ventana.hide();
        return resultado;
    }
    return respuestasModal.isEmpty() ? QDialog::Rejected : respuestasModal.takeFirst();
}

DialogosDePrueba &DialogosDePrueba::Actuales()
{
    return dynamic_cast<DialogosDePrueba &>(modComDlg::DialogosActuales());
}

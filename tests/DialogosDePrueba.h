#pragma once
// Dialogs for tests: answers are queued in advance, every call is recorded,
// and an unexpected call gets the cancel answer instead of blocking.
#include "shell/modComDlg.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct DialogosDePrueba final : modComDlg::Dialogos {
    QStringList respuestasTexto; // for folder, open, save and text prompts
    QList<int> respuestasColor;
    QList<int> respuestasModal;
    // Run in turn, in place of the modal loop, with the window shown: the test
    // acts on the window and returns its result code. Before respuestasModal.
    QList<std::function<int(QDialog &)>> alMostrarModal;
    QStringList llamadas;        // "ElegirCarpeta:<prompt>", ...

    QString ElegirCarpeta(QWidget *, const QString &indicacion) override;
    QString DialogoAbrir(QWidget *, const QString &carpeta, const QString &titulo,
                         const QString &filtroQt) override;
    int ElegirColor(QWidget *) override;
    QString DialogoGuardar(const QString &filtroQt, const QString &titulo,
                           const QString &extension) override;
    QString PedirTexto(QWidget *, const QString &indicacion, bool oculto) override;
    int MostrarModal(QDialog &ventana) override;

    // The instance the test main installed.
    static DialogosDePrueba &Actuales();

private:
    QString SiguienteTexto();
};

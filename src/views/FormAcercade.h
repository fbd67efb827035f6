#pragma once
// The About window: the logo, the name and the version. A click anywhere on
// it, or a key, closes it.
#include <QDialog>

class QLabel;

class FormAcercade : public QDialog {
    Q_OBJECT
public:
    explicit FormAcercade(QWidget *dueno);

    QLabel *LBVer = nullptr;

    // "v " and the program's major, minor and revision numbers.
    static QString TextoVersion();

protected:
    void paintEvent(QPaintEvent *evento) override;
    void mouseReleaseEvent(QMouseEvent *evento) override;
    void keyReleaseEvent(QKeyEvent *evento) override;
};

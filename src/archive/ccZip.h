#pragma once
// ZIP archives (.cbz, .zip): one object per archive lists the entry names
// once. Pages are read through the document's page source, never extracted.
#include "archive/Archivo.h"

#include <QString>
#include <QStringList>

class ccZip {
public:
    void Init(const QString &archivo);
    int Count() const;
    QString GetFile(int i) const;          // 1-based; "" outside 1..Count
    const QString &Name() const { return ruta_; }

private:
    QString ruta_;
    QStringList nombres_;
};

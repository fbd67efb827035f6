#pragma once
// One viewer per program folder: a second process finds the lock taken and
// ends before it reads or writes any setting.
#include <QLockFile>
#include <memory>

class InstanciaUnica {
public:
    // Tries to take the lock of `carpetaPrograma`.
    explicit InstanciaUnica(const QString &carpetaPrograma);
    bool EsLaPrimera() const { return primera; }

private:
    std::unique_ptr<QLockFile> cerrojo;
    bool primera = false;
};

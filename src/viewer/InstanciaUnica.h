#pragma once
// One viewer per program folder: a second process finds the lock taken and
// ends before it reads or writes any setting. The lock of a process that
// died without letting go (its PID is gone) does not count.
#include <QLockFile>
#include <memory>

class InstanciaUnica {
public:
    // Tries to take the lock of `carpetaPrograma`.
    explicit InstanciaUnica(const QString &carpetaPrograma);
    bool EsLaPrimera() const { return primera; }
    // Lets go of the lock and removes its file; for an exit that skips the
    // destructors.
    void Soltar();

private:
    std::unique_ptr<QLockFile> cerrojo;
    bool primera = false;
};

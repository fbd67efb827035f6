#pragma once
// The shared builders under the tests' own namespace, and the fixtures.
#include "constructores/Constructores.h"

#include <QString>

namespace prueba {

using namespace constructores;

// Folder of the shared archive fixtures; empty when this checkout has none.
QString CarpetaFixtures();

} // namespace prueba

#pragma once
// The tool windows open on their keys: this adds their rows to the command table.
class Comandos;

void RegistrarVentanas(Comandos &comandos);

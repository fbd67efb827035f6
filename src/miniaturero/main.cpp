// tavelo-miniatura: the thumbnailer file managers run on comics.
#include "archive/Nombres.h"
#include "miniaturero/Miniaturero.h"

int main(int argc, char **argv)
{
    miniaturero::Limitar();
    archivo::AsegurarLocaleUtf8();
    return miniaturero::Principal(argc, argv);
}

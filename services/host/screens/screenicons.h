#pragma once
// The icons of the base screens' commands: simple flat drawings, so the
// toolbars look alike whatever the desktop's icon theme.

#include <QIcon>

enum class ScreenIcon {
    Incluir, Alterar, Excluir, Confirmar, Cancelar, Atualizar, Procurar, Imprimir, Ajuda, Fechar,
    Primeiro, Anterior, Proximo, Ultimo, Salvar, Abrir, Limpar,
};

QIcon screenIcon(ScreenIcon kind);

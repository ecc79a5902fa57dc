#include "shell/AEffEditor.h"

#include "shell/AudioEffect.h"

AEffEditor::AEffEditor(AudioEffect* effect) : effect(effect) {
    if (effect) effect->setEditor(this);
}

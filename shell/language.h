// The interface language: Chinese is the source text, English comes from a
// translation file beside the program; Qt's own texts follow.
#pragma once

#include <QTranslator>

class InterfaceLanguage
{
public:
    // Installs the language's translations; false, with the texts left as
    // they were, when its file would not load.
    bool apply(bool english);

private:
    QTranslator translator;
    QTranslator qtTranslator; // Qt's own texts: standard buttons and dialogs
};

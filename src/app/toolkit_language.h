#pragma once

// Qt's own texts (standard buttons, message boxes, the file, font, colour and print dialogs,
// the editor's pop-up menu) in Chinese, like the rest of the window, whatever the system's
// language. Call before any widget is made: widgets take their texts when they are made.
// Without the translations installed the texts stay English; returns whether they were loaded.
bool loadToolkitTranslations();

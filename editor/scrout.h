// The message line, the status fields and the full regeneration of the screen.
#pragma once

namespace zek {

extern int bhelp;
extern int oldcore, oldline, oldcol, oldlncnt, oldcoreview;
extern const char* const views[8];
extern const char* const fullmsg;

const char* modename(int n);  // 8-character name of a mode or parameter kind

void initscrout();
int diserr(const char* text);
void progress(const char* text);
void clearhelp();
// A progress message kept for the moment the editor first reads the keyboard, after the
// queued start-up keys have run (so that their commands do not clear it at once).
void progresslater(const char* text);
void showlater();
// Screen mode only: a short confirmation of finished work on the message row, until the next
// key. Nothing is sent in the protocol mode.
void confirm(const char* text);
void putstats();
void gendis();
void putfloat();
void putbool();
void putresult();
void putfname();

// Formats a float result the way the message window shows it ("%.8g", exponent mark "'").
void formatfloat(double value, char* out, int size);

}  // namespace zek

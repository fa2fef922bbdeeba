// The views: fixed record screens shown in corefile 19 through their own record templates:
// an editable page of the editor's strings and settings, the corefiles, the generator's files.
#pragma once

namespace zek {

constexpr int VIEWCORE = 19;

// The variables of the page view, in the parameter notation: the function-key strings, the
// merge and expression templates, the system and terminal strings, the search pattern, then
// the search type, justification, hyphenation level and layout with their highest values.
extern const char* const view0string;
extern char view0templ[];
extern char view1templ[];
extern char view2templ[];
extern int savecore;
extern char* savetempl;

void initview();
void view();      // VIEW 0, 1 or 2
void viewterm();  // RETURN in the page view: read the page back and leave
void pagecmnd();  // the command key in the page view
void makeview1();
void makeview2();
void vartorec(const char* types);
void rectovar();
void resetcore();

}  // namespace zek

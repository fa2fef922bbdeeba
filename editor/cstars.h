// Rectangles between column marks.
#pragma once

namespace zek {

void initcstars();
void clrcstars();
void makecstars();
void deleterect();
void insertrect();
void copyrect();
void insertcols();
void overwrect();
void cpclrrect();
void cpclrovrect();
void clearallstars();

}  // namespace zek

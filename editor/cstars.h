// Rectangles between column marks.
#pragma once

namespace zek {

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

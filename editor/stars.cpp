// Starred blocks: marking, deleting to corefile 0, recovering, copying and moving.
#include "editor/stars.h"
#include "editor/corutils.h"

namespace zek {

void clrstars() {
    COREFILE& c = cur();
    c.starA = c.starB = nullptr;
    c.starcount = 0;
    c.nextstar = 'A';
}

int delstar() {
    COREFILE& c = cur();
    LINE* l = c.lnptr;
    int removed = 0;
    if (l != nullptr && c.starA == l) {
        c.starA = nullptr;
        c.nextstar = 'A';
        c.starcount -= 1;
        removed = 1;
    }
    if (l != nullptr && c.starB == l) {
        c.starB = nullptr;
        c.nextstar = 'B';
        c.starcount -= 1;
        removed = 1;
    }
    if (removed) redisplay = 9;
    return removed;
}

void makestars() {}
void delete_() {}
void recover() {}
void copyop() {}
void gnr_moveblock() {}
void gnr_sleep() {}

}  // namespace zek

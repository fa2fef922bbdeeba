// The register key operations: evaluate the cursor line into the register, count, clear,
// show it, and type its shown value at the cursor.
#include "editor/compute.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "editor/build.h"
#include "editor/corutils.h"
#include "editor/ecap.h"
#include "editor/float.h"
#include "editor/linutils.h"
#include "editor/scrin.h"

namespace zek {

void compute0() {
    const COREFILE& c = cur();
    const LINE* l = c.lnptr;
    int len = linechars(l) - (c.curcol - 1);
    const char* text = len > 0 ? reinterpret_cast<const char*>(textbase + l->index + c.curcol - 1) : "";
    dijkstra(text, len > 0 ? len : 0);
    redisplay = 11;
    if (fperror != 0) return;
    double value = popfp();
    double old = reg();
    double r;
    switch (type) {
        case 42: r = value; break;
        case 43: r = old + value; break;
        case 44: r = old - value; break;
        case 45: r = old * value; break;
        case 46: r = old / value; break;
        default: return;
    }
    // A finite register that a finite value makes infinite has overflowed; dividing by zero
    // is allowed to give infinity.
    if (!std::isfinite(r) && std::isfinite(old) && std::isfinite(value) && !(type == 46 && value == 0)) {
        fperror = 2;
        return;
    }
    reg() = r;
}

void reginc() { reg() += 1; }

void regclear() { reg() = 0; }

void regshow() {
    double r = std::trunc(reg());
    int n;
    if (std::isnan(r)) {
        n = 0;
    } else if (r >= static_cast<double>(INT_MAX)) {
        n = INT_MAX;
    } else if (r <= static_cast<double>(INT_MIN)) {
        n = INT_MIN;
    } else {
        n = static_cast<int>(r);
    }
    vl_result[loopdepth] = n;
    redisplay = 11;
}

void regdis() {
    COREFILE& c = cur();
    bool text = c.viewtype == 0;
    bool typed = false;
    char shown[sizeof fpresult];
    snprintf(shown, sizeof shown, "%s", fpresult);  // typing never changes it, but stay safe
    for (const char* p = shown; *p != 0; p++) {
        holdch = static_cast<unsigned char>(*p);
        if (text) {
            bldtxt();
            typed = true;
        } else if (xbldrec()) {
            cur().curcol += 1;
            typed = true;
        }
    }
    if (!typed) return;
    // The key itself does not mark the corefile, but its text has changed.
    cur().edited = 1;
    if (redisplay != 1) redisplay = text ? 5 : 7;
}

}  // namespace zek

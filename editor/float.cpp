// The expression evaluator: operator priorities, the number and operator stacks, the number
// reader's state table, and EVALUATE. Arithmetic faults are found by testing each result
// (a finite computation that turns infinite is an overflow), so an evaluation always ends
// through its own code with the stacks back in order.
#include "editor/float.h"

#include <signal.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/editor.h"
#include "editor/getparam.h"
#include "editor/scrin.h"
#include "editor/scrout.h"
#include "editor/terminal_xq.h"

namespace zek {

double numstack[NUMSTACK];
const int oldindex = 1;
int ni = 1;
char opstack[OPSTACK];
int opindex = 0;
int fperror = 0;
int fpnumused = 0;
char fpresult[20];
char expression[49];

// The text being evaluated and the read position.
static const char* expstart = nullptr;
static const char* expptr = nullptr;
static int explen = 0;
static int unary = 1;   // an operand is expected: "+" and "-" are unary
static int ctypex = 6;  // class of the current character
static int ctypen = 6;  // the same limited to 0..6 for the number reader
static int evbase = 1;  // the stack top when the evaluation began

// Number reader.
static int state = 1;
static long mantissa = 0;
static int flexp = 0;     // power of ten from digits beyond the nine kept or after the point
static int exponent = 0;
static int sign = 4, esign = 4;  // 5 marks a minus
static char flch = 0;
static int fldone = 0;  // the number has ended
static double fp_num = 0;

static volatile sig_atomic_t fpfault = 0;

constexpr int MANTMAX = 99999999;  // beyond it a digit no longer enters the mantissa
constexpr int EXPMAX = 100000;     // an exponent this large already over- or underflows

// Classes of the codes 32..62; every other code, and the end of the text, is class 6.
static const int typex[31] = {
    1, 16, 6, 18, 6, 6, 15, 3, 9, 10, 7, 4, 6, 5, 2, 8,  // blank ! " # $ % & ' ( ) * + , - . /
    0, 0,  0, 0,  0, 0, 0,  0, 0, 0,                     // 0..9
    6, 6,  12, 13, 14,                                   // : ; < = >
};

// Priorities of an arriving operator and of one on the stack, indexed by class - 4 (classes
// 4 + ... 16 !): the "(" waits on the stack below everything, and ")" and the end of the
// expression apply what is pending.
static const int iprior[13] = {5, 5, 0, 6, 6, 8, 1, 7, 4, 4, 4, 3, 2};
static const int sprior[13] = {5, 5, 0, 6, 6, 0, 0, 6, 4, 4, 4, 3, 2};

int classify(int c) {
    if (c < 32 || c > 62) return 6;
    return typex[c - 32];
}

static bool atend() { return expptr >= expstart + explen; }
static int here() { return atend() ? -1 : static_cast<unsigned char>(*expptr); }

void initfloat() {
    memset(numstack, 0, sizeof numstack);
    memset(opstack, 0, sizeof opstack);
    ni = oldindex;
    opindex = 0;
    fperror = 0;
    fpnumused = 0;
    snprintf(fpresult, sizeof fpresult, "0");
    expression[0] = 0;
    fpfault = 0;
}

double fptop() { return numstack[ni]; }
void setfptop(double value) { numstack[ni] = value; }
double& reg() { return numstack[oldindex]; }

double popfp() {
    double value = numstack[ni];
    if (ni > oldindex) ni -= 1;
    return value;
}

void fpreset() {
    ni = oldindex;
    opindex = 0;
}

// The number reader's operations, one per cell of fltable.
static void man_10() {
    state = 3;
    if (mantissa > MANTMAX) {
        flexp += 1;
    } else {
        mantissa = mantissa * 10 + (flch - '0');
    }
}
static void exp_dc() {
    state = 5;
    if (mantissa <= MANTMAX) {
        mantissa = mantissa * 10 + (flch - '0');
        flexp -= 1;
    }
}
static void exp_10() {
    state = 0;
    if (exponent < EXPMAX) exponent = exponent * 10 + (flch - '0');
}
static void st_2() { state = 2; }
static void st_4() { state = 4; }
static void st_6() { state = 6; }
static void st_7() { state = 7; }
static void minsgn() {
    state = 2;
    sign = 5;
}
static void minesg() {
    state = 7;
    esign = 5;
}
static void man_1() {
    state = 6;
    mantissa = 1;  // an exponent mark without digits before it stands for 1
}
static void finish() { fldone = 1; }

// Rows by class 0..6 (digit, blank, ".", "'", "+", "-", other), columns by state 0..7
// (exponent digits, start, after a sign, integer digits, after the point, fraction digits,
// after the exponent mark, after the exponent sign).
static const PROCPTR fltable[7][8] = {
    {exp_10, man_10, man_10, man_10, exp_dc, exp_dc, exp_10, exp_10},
    {finish, noop, noop, finish, finish, finish, finish, finish},
    {finish, st_4, st_4, st_4, finish, finish, finish, finish},
    {finish, man_1, man_1, st_6, finish, st_6, finish, finish},
    {finish, st_2, finish, finish, finish, finish, st_7, finish},
    {finish, minsgn, finish, finish, finish, finish, minesg, finish},
    {finish, finish, finish, finish, finish, finish, finish, finish},
};

// Reads a number at the read position into fp_num; the character that ends it is not
// consumed. The value keeps nine significant digits and is rounded to single precision.
static void flread() {
    state = 1;
    sign = esign = 4;
    mantissa = 0;
    flexp = exponent = 0;
    fldone = 0;
    while (!fldone) {
        int c = here();
        ctypen = classify(c);
        if (ctypen > 6) ctypen = 6;
        flch = static_cast<char>(c);
        fltable[ctypen][state]();
        if (!fldone) expptr++;
    }
    if (mantissa == 0) {
        fp_num = 0;
        return;
    }
    int e = (esign == 5 ? -exponent : exponent) + flexp;
    double v = static_cast<double>(mantissa);
    for (; e > 0 && std::isfinite(v); e--) v *= 10.0;
    for (; e < 0 && v != 0; e++) v /= 10.0;
    if (!std::isfinite(v) || std::fabs(v) > FLT_MAX) {
        fperror = 2;  // beyond single precision
        return;
    }
    v = static_cast<double>(static_cast<float>(v));
    fp_num = sign == 5 ? -v : v;
}

static void pushfp(double num) {
    if (ni >= NUMSTACK - 1) {
        fperror = 1;  // more pending numbers than the stack holds
        return;
    }
    numstack[++ni] = num;
}

static void pushop(int op) {
    if (opindex >= OPSTACK - 1) {
        fperror = 1;
        return;
    }
    opstack[++opindex] = static_cast<char>(op);
}

static int popop() { return opstack[opindex--]; }

// Applies operator `op` to the numbers on top of the stack.
static void apply(int op) {
    if (op == 9) {
        fperror = 1;  // a "(" never closed
        return;
    }
    int need = op == 11 ? 1 : 2;
    if (ni - evbase < need) {
        fperror = 1;
        return;
    }
    double b = numstack[ni];
    if (op == 11) {
        numstack[ni] = -b;
        return;
    }
    double a = numstack[ni - 1];
    double r = 0;
    switch (op) {
        case 4: r = a + b; break;
        case 5: r = a - b; break;
        case 7: r = a * b; break;
        case 8: r = a / b; break;  // by zero: infinity or not-a-number, not an error
        case 12: r = a < b ? 1 : 0; break;
        case 13: r = std::fabs(a - b) <= 1e-8 * std::fmax(std::fabs(a), std::fabs(b)) ? 1 : 0; break;
        case 14: r = a > b ? 1 : 0; break;
        case 15: r = a * b >= 1e-12 ? 1 : 0; break;
        case 16: r = a + b >= 1e-12 ? 1 : 0; break;
        default: fperror = 1; return;
    }
    if (!std::isfinite(r) && std::isfinite(a) && std::isfinite(b) && !(op == 8 && b == 0)) {
        fperror = 2;
        return;
    }
    ni -= 1;
    numstack[ni] = r;
}

// Applies the pending operators that bind at least as tightly as an arriving priority.
static void unstack(int priority) {
    while (opindex > 0 && fperror == 0 && priority <= sprior[opstack[opindex] - 4]) apply(popop());
}

static void remspace() {
    while (!atend() && *expptr == ' ') expptr++;
}

int dijkstra(const char* eptr, int elen) {
    expstart = expptr = eptr;
    explen = elen > 0 ? elen : 0;
    fperror = 0;
    fpfault = 0;
    unary = 1;
    opindex = 0;
    evbase = ni;
    remspace();
    if (atend()) fperror = 1;
    while (fperror == 0) {
        ctypex = classify(here());
        if (unary == 1 && ctypex == 4) ctypex = 17;
        if (unary == 1 && ctypex == 5) ctypex = 11;
        switch (ctypex) {
            case 0:
            case 2:
            case 3:
                flread();
                if (fperror == 0) pushfp(fp_num);
                unary = 0;
                if (fpfault) fperror = 2;
                continue;  // the character that ended the number is classified next
            case 1:
            case 6:
                unstack(0);
                if (fperror == 0) fperror = -1;
                break;
            case 10:
                unstack(iprior[10 - 4]);
                if (fperror == 0) {
                    if (opindex == 0) {
                        fperror = 1;
                    } else {
                        popop();
                        unary = 0;
                    }
                }
                break;
            case 17: break;               // unary plus
            case 18: fperror = 1; break;  // "#": a field reference that no merge replaced
            default:
                unstack(iprior[ctypex - 4]);
                if (fperror == 0) pushop(ctypex);
                unary = 1;
                break;
        }
        if (fpfault && fperror <= 0) fperror = 2;
        if (!atend()) expptr++;
    }
    if (fperror == -1) fperror = (ni == evbase + 1) ? 0 : 1;
    if (fperror != 0) fpreset();
    fpnumused = static_cast<int>(expptr - expstart);
    return fpnumused;
}

void evaluate() {
    dijkstra(mathstring, static_cast<int>(strnlen(mathstring, sizeof mathstring)));
    if (fperror != 0) {
        diserr(fperror == 2 ? "Overflow Error" : "Syntax Error");
        fperror = 0;
        return;
    }
    char shown[40];
    snprintf(shown, sizeof shown, " = %.8g", popfp());
    snprintf(xqmsg, sizeof xqmsg, "$CL%s", shown);
    xqtransmit(xqmsg);
    // the command line's copy shows the same, for a regeneration while we wait
    for (const char* p = shown; *p != 0 && shadow_ptr < static_cast<int>(sizeof shadow_cmdline) - 1; p++) {
        shadow_cmdline[shadow_ptr++] = *p;
    }
    fpreset();
    gcr();
}

void FpHandler(int) { fpfault = 1; }

}  // namespace zek

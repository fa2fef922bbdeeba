// The expression evaluator: operator priorities, the number stack and floating-point errors.
#include "editor/float.h"

namespace zek {

int fperror = 0;
char expression[49];
static double numstack[50];
static int numtop = 0;

void initfloat() {
    fperror = 0;
    expression[0] = 0;
    numtop = 0;
    numstack[0] = 0;
}

double fptop() { return numstack[numtop]; }
void setfptop(double value) { numstack[numtop] = value; }
void evaluate() {}
void FpHandler(int) {}

}  // namespace zek

// The expression evaluator: an operator-precedence evaluation with a number stack and an
// operator stack, a table-driven number reader, and the register at the stack's resting place.
#pragma once

namespace zek {

constexpr int NUMSTACK = 25;  // numstack[1] is the register; 23 numbers may be pending above it
constexpr int OPSTACK = 25;   // opstack[1..24]

extern double numstack[NUMSTACK];
extern const int oldindex;  // the resting position of the number stack: the register
extern int ni;              // top of the number stack
extern char opstack[OPSTACK];
extern int opindex;         // top of the operator stack, 0 when empty
extern int fperror;         // 0 none, 1 syntax error, 2 overflow, 3 merge stopped at a missing field
extern int fpnumused;       // characters the last evaluation used
extern char fpresult[20];   // the register's value as last shown
extern char expression[49];

void initfloat();

// Evaluates the `elen` characters at `eptr`. On success the value is on top of the number
// stack, one above where it started, and fperror is 0; on error the stacks are back at rest
// and fperror is 1 or 2. Returns the number of characters used.
int dijkstra(const char* eptr, int elen);

// Takes the value a successful dijkstra left on top of the number stack.
double popfp();
// Empties both stacks down to their resting place; the register stays.
void fpreset();

double fptop();               // the top of the number stack
void setfptop(double value);  // replaces the top of the number stack (tests)
double& reg();                // the register

// The character class of `c` for the evaluator (0..18; 6 ends an expression).
int classify(int c);

void evaluate();
// Handler of the arithmetic fault signal: records the fault, which the evaluation running
// reports as an overflow at its next step. The evaluator itself never traps (floating-point
// exceptions stay masked and it divides no integers), so this is a safety net.
void FpHandler(int sig);

}  // namespace zek

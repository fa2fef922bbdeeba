// The expression evaluator: operator priorities, the number stack and floating-point errors.
#pragma once

namespace zek {

extern int fperror;  // 0 none, 1 syntax error, 2 overflow
extern char expression[49];

void initfloat();
double fptop();  // the top of the number stack
void setfptop(double value);  // replaces the top of the number stack (tests)
void evaluate();
void FpHandler(int sig);

}  // namespace zek

// The registers and the key operations that count and show values.
#pragma once

namespace zek {

void compute0();
void reginc();
void regclear();
void regdis();
void regshow();

}  // namespace zek

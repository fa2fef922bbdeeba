// Starred blocks: marking, deleting to corefile 0, recovering, copying and moving.
#pragma once

namespace zek {

int delstar();
void clrstars();

void makestars();
void delete_();
void recover();
void copyop();
void gnr_moveblock();
void gnr_sleep();

}  // namespace zek

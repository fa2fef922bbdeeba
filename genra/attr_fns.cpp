// Parsing attribute text into rows and compounds, and comparing and printing compounds.
#include "genra/attr_fns.h"

#include <cstring>

#include "genra/attr_data.h"
#include "genra/input_base.h"
#include "genra/utilities.h"

namespace zek {

attr_row attr[MAXROWS];
int attr_index = 0;
int all_values = 1;
int all_decon = 1;
comp_attr comp_attr_register = nullptr;
comp_attr variable_table[MAXVARIABLES + 1];

// Past the rest of a compound: names, dots, marks and variables.
static const char* skipcompound(const char* r) {
    while (*r != 0) {
        unsigned char c = static_cast<unsigned char>(*r);
        if (c == VARMARK && r[1] != 0) {
            r += 2;
        } else if (identchar(c) || c == '.' || c == '/') {
            r++;
        } else {
            break;
        }
    }
    return r;
}

static void unknown(const char* name) {
    std::string text(name, static_cast<size_t>(skipcompound(name) - name));
    q_err("Unknown attribute", text.c_str(), "");
}

// Reads the name at r into `name`; returns the position after it.
static const char* readname(const char* r, char* name, int size) {
    int n = 0;
    while (identchar(static_cast<unsigned char>(*r))) {
        if (n < size - 1) name[n++] = *r;
        r++;
    }
    name[n] = 0;
    return r;
}

static bool addrow(int type, int value, int decon, int ltindex) {
    if (attr_index >= MAXROWS) {
        q_err("Compound attribute with more than 20 components", "", "");
        return false;
    }
    attr[attr_index++] = {type, value, decon, ltindex, -1};
    if (value == -1) all_values = 0;
    if (!decon) all_decon = 0;
    return true;
}

// Walks the text of a compound: "/" marks (when allowed), "." separators, variables and names.
// `held` gets each variable's compound, `named` each known name (with att_class and att_value
// set); at an unknown name, reported, `failed` drops what was built and the rest is skipped.
template <typename Held, typename Named, typename Failed>
static const char* scancompound(const char* r, int decon_allowed, Held held, Named named, Failed failed) {
    for (;;) {
        int mark = 0;
        if (decon_allowed && *r == '/') {
            mark = 1;
            r++;
        }
        if (*r == '.') {
            r++;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(*r);
        if (c == VARMARK && r[1] != 0) {
            int v = static_cast<unsigned char>(r[1]);
            held(v <= MAXVARIABLES ? variable_table[v] : nullptr, mark);
            r += 2;
        } else if (identchar(c)) {
            char name[IDENTMAX + 1];
            const char* start = r;
            r = readname(r, name, sizeof name);
            if (!lookup_attr(name)) {
                unknown(start);
                failed();
                return skipcompound(r);
            }
            named(mark);
        } else {
            return r;
        }
    }
}

const char* text_to_comp_array(const char* r, int decon_allowed) {
    attr_index = 0;
    all_values = 1;
    all_decon = 1;
    return scancompound(
        r, decon_allowed,
        [](comp_attr held, int mark) {
            for (int i = 1; i <= attr_seg_count(held); i++) {
                const t_delay& d = delayed[comp_attr_element(held, i)];
                addrow(d.class_, d.choice, mark, -1);
            }
        },
        [](int mark) { addrow(att_class, att_value, mark, -1); }, [] { attr_index = 0; });
}

const char* text_to_comp_struct(const char* r, int decon_allowed) {
    comp_attr_register = nullptr;
    return scancompound(
        r, decon_allowed,
        [](comp_attr held, int) {
            for (int i = 1; i <= attr_seg_count(held); i++) add_comp_attr(&comp_attr_register, comp_attr_element(held, i));
        },
        [](int mark) {
            if (!mark) add_comp_attr(&comp_attr_register, newdelay(att_class, att_value));
        },
        [] { purge_comp_attr(&comp_attr_register); });
}

comp_attr make_full_comp_attr() {
    comp_attr c = nullptr;
    for (int i = 0; i < attr_index; i++) add_comp_attr(&c, newdelay(attr[i].type, attr[i].value));
    return c;
}

comp_attr make_comp_attr() {
    comp_attr c = nullptr;
    for (int i = 0; i < attr_index; i++) {
        if (!attr[i].decon) add_comp_attr(&c, newdelay(attr[i].type, attr[i].value));
    }
    return c;
}

comp_attr dup_decon_comp_attr(comp_attr c) {
    comp_attr copy = nullptr;
    for (int i = 1; i <= attr_seg_count(c); i++) {
        bool marked = i - 1 < attr_index && attr[i - 1].decon;
        if (!marked) add_comp_attr(&copy, comp_attr_element(c, i));
    }
    return copy;
}

void decompose_comp_attr(comp_attr c) {
    attr_index = 0;
    all_values = 1;
    all_decon = 1;
    for (int i = 1; i <= attr_seg_count(c); i++) {
        const t_delay& d = delayed[comp_attr_element(c, i)];
        addrow(d.class_, d.choice, 0, -1);
    }
}

void lt_decompose_comp_attr(comp_attr c) {
    attr_index = 0;
    all_values = 1;
    all_decon = 1;
    for (int i = 1; i <= attr_seg_count(c); i++) {
        int idx = comp_attr_element(c, i);
        addrow(lt_delayed[idx].class_, lt_delayed[idx].choice, 0, idx);
    }
}

int compare_comp_attr(comp_attr a, comp_attr b) {
    int n = attr_seg_count(a);
    if (n != attr_seg_count(b)) return 0;
    for (int i = 1; i <= n; i++) {
        const t_delay& x = delayed[comp_attr_element(a, i)];
        const t_delay& y = delayed[comp_attr_element(b, i)];
        if (x.class_ != y.class_) return 0;
        if (x.fixed && x.choice != y.choice) return 0;
    }
    return 1;
}

// Whether component `index` agrees with row r.
static bool agrees(int index, const attr_row& r) {
    if (MState == 1) {
        const t_delay& d = lt_delayed[index];
        if (d.class_ != r.type) return false;
        if (r.value == -1) return d.choice != -1;
        return d.choice == r.value;
    }
    t_delay& d = delayed[index];
    if (d.class_ != r.type) return false;
    if (r.value == -1) return true;
    if (d.choice == -1) make_choice(index);
    return d.choice == r.value;
}

comp_attr find_attr(attr_list list) {
    for (; list != nullptr; list = list->next) {
        comp_attr c = list->first;
        if (attr_seg_count(c) != attr_index) continue;
        bool all = true;
        for (int i = 0; i < attr_index && all; i++) all = agrees(comp_attr_element(c, i + 1), attr[i]);
        if (all) return c;
    }
    return nullptr;
}

comp_attr find_attr_in_list(attr_list list, comp_attr c) {
    for (; list != nullptr; list = list->next) {
        if (compare_comp_attr(list->first, c)) return list->first;
    }
    return nullptr;
}

comp_attr find_type_in_attr(int d, attr_list list) {
    for (; list != nullptr; list = list->next) {
        if (attr_seg_count(list->first) == 1 && delayed[comp_attr_element(list->first, 1)].class_ == delayed[d].class_) {
            return list->first;
        }
    }
    return nullptr;
}

std::string print_comp_attr(comp_attr c) {
    std::string out;
    for (int i = 1; i <= attr_seg_count(c); i++) {
        const t_delay& d = delayed[comp_attr_element(c, i)];
        if (i > 1) out += ".";
        out += att_get_name(d.class_, d.choice);
    }
    return out;
}

std::string print_attr_list(attr_list l) {
    std::string out;
    for (; l != nullptr; l = l->next) {
        if (!out.empty()) out += ", ";
        out += print_comp_attr(l->first);
    }
    return out;
}

void make_choice(int d) {
    t_delay& e = delayed[d];
    if (e.fixed) return;
    int entries = e.class_ > 0 && e.class_ < total_types ? attr_table[e.class_].entries : 1;
    e.choice = entries > 1 ? static_cast<int>(getrandom(entries - 1)) + 1 : -1;
    e.fixed = 1;
}

void make_all_choices() {
    for (int d = 0; d < delayptr; d++) make_choice(d);
}

}  // namespace zek

// Node attachments in compiled rule text.
#include "genra/syn_cf.h"

#include <cstring>

#include "genra/attr_fns.h"
#include "genra/input_base.h"

namespace zek {

// Characters that end the values of a restriction (outside quotes).
static bool endsvalues(unsigned char c) {
    return c == 0 || c == ' ' || c == '/' || c == '[' || c == '(' || c == ')' || c == '|' || c == '<' ||
           c == '>' || c == ';' || c == '%' || c == FREQCODE || c == '@' || c == TRANSCODE || c == PRECODE;
}

static const char* attributelist(t_treenode node, const char* p) {
    while (*p != 0 && *p != ']') {
        if (*p == ',') {
            p++;
            continue;
        }
        const char* after = text_to_comp_struct(p, 1);
        comp_attr c = comp_attr_register;
        comp_attr_register = nullptr;
        if (c != nullptr && find_attr_in_list(node->attributes, c) == nullptr) {
            add_attr_to_list(&node->attributes, c);
        } else {
            purge_comp_attr(&c);
        }
        if (after == p) after++;  // not a compound: passed over
        p = after;
        while (*p != 0 && *p != ',' && *p != ']') p++;
    }
    return *p == ']' ? p + 1 : p;
}

static const char* number(const char* p, int* value) {
    if (*p >= '0' && *p <= '9') {
        long n = 0;
        while (*p >= '0' && *p <= '9') {
            if (n < 100000) n = n * 10 + (*p - '0');
            p++;
        }
        *value = static_cast<int>(n);
        return p;
    }
    *value = static_cast<unsigned char>(*p);
    return *p != 0 ? p + 1 : p;
}

const char* add_attachments(t_treenode node, const char* p) {
    for (;;) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == '[') {
            p = attributelist(node, p + 1);
        } else if (c == FREQCODE) {
            p++;
            bool down = *p == '-';
            if (down) p++;
            long n = 0;
            while (*p >= '0' && *p <= '9') {
                if (n < 100000) n = n * 10 + (*p - '0');
                p++;
            }
            node->vf = static_cast<int>(down ? -n : n);
        } else if (c == '"') {
            const char* end = strchr(p + 1, '"');
            if (end == nullptr) end = p + strlen(p);
            node->preferredchoice.assign(p + 1, static_cast<size_t>(end - p - 1));
            p = *end != 0 ? end + 1 : end;
        } else if (c == '/' && p[1] != 0) {
            int field = static_cast<unsigned char>(p[1]);
            p += 2;
            if (*p == '=') p++;
            std::string values;
            bool quoted = false;
            for (; *p != 0 && (quoted || !endsvalues(static_cast<unsigned char>(*p))); p++) {
                if (*p == '"') quoted = !quoted;
                values += *p;
            }
            if (field > 0) insertfield(node->restrictions, field, values);
        } else if (c == '@') {
            indirection ind = create_indir_node();
            p = number(p + 1, &ind->fieldnum);
            if (*p == ':') {
                p++;
                while (identchar(static_cast<unsigned char>(*p))) ind->tag += *p++;
            }
            if (*p == '[') {
                const char* end = strchr(p, ']');
                if (end == nullptr) end = p + strlen(p);
                ind->attributes.assign(p + 1, static_cast<size_t>(end - p - 1));
                p = *end != 0 ? end + 1 : end;
            }
            add_to_indir_list(&node->indirections, ind);
        } else {
            return p;
        }
    }
}

std::string convert_nodetext(const char* text) {
    std::string out;
    bool quoted = false;
    for (const char* p = text; *p != 0; p++) {
        char c = *p;
        if (c == '"') quoted = !quoted;
        if (quoted || c == '"') {
            out += c;
            continue;
        }
        if (c == ' ') continue;
        if (c != '/') {
            out += c;
            continue;
        }
        p++;
        while (*p == ' ') p++;
        if (*p == '$') {
            out += static_cast<char>(FREQCODE);
            out += '-';
        } else if (*p == '+') {
            out += static_cast<char>(FREQCODE);
        } else if (*p == '@' || *p == '"') {
            p--;  // the character takes the place of the "/"
            continue;
        } else if (*p >= '0' && *p <= '9') {
            long n = 0;
            while (p[0] >= '0' && p[0] <= '9') {
                if (n < 1000) n = n * 10 + (p[0] - '0');
                p++;
            }
            p--;
            out += '/';
            out += static_cast<char>(n > 0 && n < 256 ? n : 255);
        } else if (*p == 0) {
            break;
        } else {
            out += '/';
            out += *p;
        }
    }
    out += ' ';
    return out;
}

t_treenode nodefromtext(const char* text) {
    std::string internal = convert_nodetext(text);
    const char* p = internal.c_str();
    std::string name;
    while (identchar(static_cast<unsigned char>(*p))) name += *p++;
    if (name.empty()) return nullptr;
    t_treenode node = makenode(name.c_str());
    add_attachments(node, p);
    terminal_node(node);
    fill_word(node);
    return node;
}

int pre_status = 1;
std::string pre_error = "No preselection rule";

int find_pst(const char* text, int, const char** end) {
    *end = text;
    pre_status = 1;
    pre_error = "No preselection rule";
    return pre_status;
}

int analyze_pre(const char* text, const char** end) {
    *end = text;
    return 3;
}

int bool_from_pre() { return 0; }

}  // namespace zek

/* Test peer over Debian's pxlib: writes Paradox tables for the reader's tests and dumps
 * what pxlib reads from a table, for comparing. Never part of the program.
 *   pxpeer write OUT.DB LAYOUT    LAYOUT: line 1 "name:type:size;..." (type A, M or B),
 *                               line 2 the code page, then one row a line, fields
 *                               separated by tabs, "\n" standing for a line break.
 *   pxpeer dump IN.DB [IN.MB]   one row a line, fields as hex separated by tabs, "-" for
 *                               fields of other types, "!" where a memo cannot be read. */
extern "C" {
#include <paradox.h>
}
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static char *unescape(char *s)
{
    char *w = s, *r = s;
    while (*r) {
        if (r[0] == '\\' && r[1] == 'n') {
            *w++ = '\n';
            r += 2;
        } else {
            *w++ = *r++;
        }
    }
    *w = 0;
    return s;
}

static int write_table(const char *out, const char *layoutPath)
{
    static char line[1 << 16];
    FILE *layout = fopen(layoutPath, "rb");
    if (!layout || !fgets(line, sizeof line, layout))
        return 2;
    line[strcspn(line, "\r\n")] = 0;
    pxdoc_t *doc = PX_new();
    int n = 1;
    for (char *p = line; *p; ++p)
        n += *p == ';';
    pxfield_t *fields = (pxfield_t *)doc->malloc(doc, n * sizeof(pxfield_t), "fields");
    int i = 0;
    for (char *tok = strtok(line, ";"); tok && i < n; tok = strtok(NULL, ";"), ++i) {
        char name[64], type;
        int size;
        if (sscanf(tok, "%63[^:]:%c:%d", name, &type, &size) != 3)
            return 2;
        fields[i].px_fname = (char *)doc->malloc(doc, strlen(name) + 1, "name");
        strcpy(fields[i].px_fname, name);
        fields[i].px_ftype = type == 'A' ? pxfAlpha : type == 'M' ? pxfMemoBLOb : pxfBLOb;
        fields[i].px_flen = size;
        fields[i].px_fdc = 0;
    }
    n = i;
    if (PX_create_file(doc, fields, n, out, pxfFileTypNonIndexDB) < 0)
        return 3;
    if (!fgets(line, sizeof line, layout))
        return 2;
    PX_set_value(doc, "codepage", (float)atoi(line));
    char mb[4096];
    snprintf(mb, sizeof mb, "%.*s.MB", (int)(strlen(out) - 3), out);
    if (PX_set_blob_file(doc, mb) < 0)
        return 3;
    int recsize = 0;
    for (i = 0; i < n; ++i)
        recsize += fields[i].px_flen;
    char *data = (char *)malloc(recsize);
    while (fgets(line, sizeof line, layout)) {
        line[strcspn(line, "\r\n")] = 0;
        memset(data, 0, recsize);
        char *cursor = line;
        int off = 0;
        for (i = 0; i < n; ++i) {
            static char none[1];
            char *value = cursor ? cursor : none;
            char *tab = cursor ? strchr(cursor, '\t') : NULL;
            if (tab)
                *tab = 0;
            cursor = tab ? tab + 1 : NULL;
            unescape(value);
            if (fields[i].px_ftype == pxfAlpha && *value)
                PX_put_data_alpha(doc, data + off, fields[i].px_flen, value);
            else if (fields[i].px_ftype == pxfMemoBLOb && *value)
                PX_put_data_blob(doc, data + off, fields[i].px_flen, value, strlen(value));
            off += fields[i].px_flen;
        }
        if (PX_put_record(doc, data) < 0)
            return 4;
    }
    free(data);
    PX_close(doc);
    PX_delete(doc);
    return 0;
}

static void hex(const char *v, int len)
{
    for (int i = 0; i < len; ++i)
        printf("%02x", (unsigned char)v[i]);
}

static int dump_table(const char *in, const char *mb)
{
    pxdoc_t *doc = PX_new();
    if (PX_open_file(doc, in) < 0)
        return 3;
    if (mb && PX_set_blob_file(doc, mb) < 0)
        return 3;
    pxhead_t *h = doc->px_head;
    char *data = (char *)malloc(h->px_recordsize);
    for (int r = 0; r < h->px_numrecords; ++r) {
        if (!PX_get_record(doc, r, data))
            return 4;
        int off = 0;
        for (int i = 0; i < h->px_numfields; ++i) {
            pxfield_t *f = &h->px_fields[i];
            char *value = NULL;
            if (i)
                putchar('\t');
            if (f->px_ftype == pxfAlpha) {
                if (PX_get_data_alpha(doc, data + off, f->px_flen, &value) > 0 && value)
                    hex(value, strlen(value));
            } else if (f->px_ftype == pxfMemoBLOb && mb) {
                int mod = 0, size = 0;
                int got = PX_get_data_blob(doc, data + off, f->px_flen, &mod, &size, &value);
                if (got < 0)
                    putchar('!');
                else if (got > 0 && value)
                    hex(value, size);
            } else {
                putchar('-');
            }
            off += f->px_flen;
        }
        putchar('\n');
    }
    return 0;
}

int main(int argc, char **argv)
{
    PX_boot();
    if (argc == 4 && !strcmp(argv[1], "write"))
        return write_table(argv[2], argv[3]);
    if ((argc == 3 || argc == 4) && !strcmp(argv[1], "dump"))
        return dump_table(argv[2], argc == 4 ? argv[3] : NULL);
    fprintf(stderr, "usage: pxpeer write OUT.DB LAYOUT | pxpeer dump IN.DB [IN.MB]\n");
    return 1;
}

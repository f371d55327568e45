#include "BenchSource.h"

#include <cstdio>

namespace qvbench {

// Colours with the font style in the top byte: 0 the text font, 1 bold, 2 italic.
const KeywordGroup kKeywordGroups[] = {
    {0x01A03000,
     "mov,push,pop,call,ret,cmp,test,je,jne,jz,jnz,jmp,inc,dec,add,sub,xor,or,and,lea,invoke,shl,shr"},
    {0x00007A9A, "eax,ebx,ecx,edx,esi,edi,esp,ebp,ax,bx,cx,dx,al,ah,bl,cl,dl"},
    {0x01800080, "proc,endp,uses,local,equ,db,dd,dw,dup,addr,offset,ptr,dword,byte,word"},
    {0x00606000, "GetStdHandle,WriteFile,ReadFile,CreateFileA,CloseHandle,ExitProcess,lstrlen,wsprintfA"},
};
const unsigned kKeywordGroupCount = sizeof(kKeywordGroups) / sizeof(kKeywordGroups[0]);

namespace {

// A procedure of 20 lines: labels, keywords of every group, numbers, brackets,
// operators, strings and comments; `n` makes its names unique.
void AppendProcedure(std::string& text, unsigned n) {
    char buffer[160];
    const char* const body[] = {
        "\tpush ebx\r\n",
        "\tpush esi ; keep the callee-saved registers\r\n",
        "\tmov esi, [ebp+8]\r\n",
        "\txor ecx, ecx\r\n",
        "@@loop_%u:\r\n",
        "\tmov al, byte ptr [esi+ecx]\r\n",
        "\tcmp al, 0Dh ; a line end\r\n",
        "\tje @@done_%u\r\n",
        "\tinc ecx\r\n",
        "\tjmp @@loop_%u\r\n",
        "@@done_%u:\r\n",
        "\tinvoke wsprintfA, addr buffer, \"%%u chars\", ecx\r\n",
        "\tinvoke WriteFile, hOut, addr buffer, eax, addr written, 0\r\n",
        "\tlea eax, [ecx*4+table_%u] ; (ecx << 2) + base\r\n",
        "\tpop esi\r\n",
        "\tpop ebx\r\n",
        "\tret 4\r\n",
    };
    const unsigned bodyLines = sizeof(body) / sizeof(body[0]);
    std::snprintf(buffer, sizeof buffer, "Scan_%u proc uses ebx esi, text:dword\r\n", n);
    text += buffer;
    for (unsigned i = 0; i < bodyLines; ++i) {
        std::snprintf(buffer, sizeof buffer, body[i], n);
        text += buffer;
    }
    std::snprintf(buffer, sizeof buffer, "Scan_%u endp\r\n", n);
    text += buffer;
    text += "\r\n";
}

}  // namespace

std::string GenerateColouredSource(unsigned lines) {
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 32);
    const unsigned procedureLines = 20;  // its header, 17 body lines, endp, a blank line
    unsigned written = 0;
    for (unsigned n = 0; written < lines; ++n) {
        const unsigned take = lines - written < procedureLines ? lines - written : procedureLines;
        if (take < procedureLines) {
            for (unsigned i = 0; i < take; ++i) text += "; the end of the generated source\r\n";
        } else {
            AppendProcedure(text, n);
        }
        written += take;
    }
    // The control takes the last line end as the start of an empty line.
    if (text.size() >= 2) text.resize(text.size() - 2);
    return text;
}

std::string GeneratePlainSource(unsigned lines, unsigned averageLine, const char* lastLineWord) {
    static const char* const kWords[] = {"mov",    "eax",   "ebx", "push", "pop",  "call", "ret",  "invoke",
                                         "offset", "dword", "ptr", "lea",  "esi",  "edi",  "cmp",  "jne",
                                         "xor",    "add",   "sub", "inc",  "test", "jz",   "proc", "endp"};
    const unsigned wordCount = sizeof(kWords) / sizeof(kWords[0]);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * averageLine + 64);
    unsigned seed = 0x2545F491u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const unsigned body = averageLine > 2 ? averageLine - 2 : 0;  // CR LF aside
    for (unsigned line = 0; line < lines; ++line) {
        const size_t target = body ? next() % (2 * body + 1) : 0;
        const size_t lineStart = text.size();
        if (target > 0) text += '\t';
        while (text.size() - lineStart < target) {
            if (next() % 8 == 0) {
                text += "; note ";
            } else {
                text += kWords[next() % wordCount];
                text += ' ';
            }
        }
        text.resize(lineStart + target);
        if (line + 1 < lines) {
            text += "\r\n";
        } else if (lastLineWord) {
            text += ' ';
            text += lastLineWord;
        }
    }
    return text;
}

std::string GenerateLongLine(unsigned bytes) {
    std::string line;
    line.reserve(bytes + 64);
    while (line.size() < bytes) line += "mov eax, dword ptr [esi+4]\tcall proc ";
    line.resize(bytes);
    return line;
}

std::string GenerateTypedCode(unsigned count) {
    const char* const lines[] = {"\tmov eax, [ebx+4] ; load\r", "\tcall Scan_7\r", "@@next:\r",
                                 "\tinvoke WriteFile, hOut, addr buffer, eax, 0, 0\r"};
    std::string text;
    for (unsigned i = 0; text.size() < count; ++i) text += lines[i % 4];
    text.resize(count);
    return text;
}

}  // namespace qvbench

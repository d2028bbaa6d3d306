// The disassembler: one instruction to one line of lower-case Zilog text.
// Templates use operand letters (I index name, B byte, W word, R relative
// target, X indexed operand, Y DD CB displacement), a space that pads the
// mnemonic to 7 columns, and markers for data lines (! ED xx, @ one prefix
// byte, # an undefined DD CB / FD CB instruction).
#include <cstdio>
#include <cstring>

#include "cpu/z80cpu.h"

namespace {

// clang-format off
const char* const MnemonicsMain[256] = {
    "nop", "ld bc,W", "ld (bc),a", "inc bc", "inc b", "dec b", "ld b,B", "rlca",  // 00
    "ex af,af'", "add hl,bc", "ld a,(bc)", "dec bc", "inc c", "dec c", "ld c,B", "rrca",  // 08
    "djnz R", "ld de,W", "ld (de),a", "inc de", "inc d", "dec d", "ld d,B", "rla",  // 10
    "jr R", "add hl,de", "ld a,(de)", "dec de", "inc e", "dec e", "ld e,B", "rra",  // 18
    "jr nz,R", "ld hl,W", "ld (W),hl", "inc hl", "inc h", "dec h", "ld h,B", "daa",  // 20
    "jr z,R", "add hl,hl", "ld hl,(W)", "dec hl", "inc l", "dec l", "ld l,B", "cpl",  // 28
    "jr nc,R", "ld sp,W", "ld (W),a", "inc sp", "inc (hl)", "dec (hl)", "ld (hl),B", "scf",  // 30
    "jr c,R", "add hl,sp", "ld a,(W)", "dec sp", "inc a", "dec a", "ld a,B", "ccf",  // 38
    "ld b,b", "ld b,c", "ld b,d", "ld b,e", "ld b,h", "ld b,l", "ld b,(hl)", "ld b,a",  // 40
    "ld c,b", "ld c,c", "ld c,d", "ld c,e", "ld c,h", "ld c,l", "ld c,(hl)", "ld c,a",  // 48
    "ld d,b", "ld d,c", "ld d,d", "ld d,e", "ld d,h", "ld d,l", "ld d,(hl)", "ld d,a",  // 50
    "ld e,b", "ld e,c", "ld e,d", "ld e,e", "ld e,h", "ld e,l", "ld e,(hl)", "ld e,a",  // 58
    "ld h,b", "ld h,c", "ld h,d", "ld h,e", "ld h,h", "ld h,l", "ld h,(hl)", "ld h,a",  // 60
    "ld l,b", "ld l,c", "ld l,d", "ld l,e", "ld l,h", "ld l,l", "ld l,(hl)", "ld l,a",  // 68
    "ld (hl),b", "ld (hl),c", "ld (hl),d", "ld (hl),e", "ld (hl),h", "ld (hl),l", "halt", "ld (hl),a",  // 70
    "ld a,b", "ld a,c", "ld a,d", "ld a,e", "ld a,h", "ld a,l", "ld a,(hl)", "ld a,a",  // 78
    "add a,b", "add a,c", "add a,d", "add a,e", "add a,h", "add a,l", "add a,(hl)", "add a,a",  // 80
    "adc a,b", "adc a,c", "adc a,d", "adc a,e", "adc a,h", "adc a,l", "adc a,(hl)", "adc a,a",  // 88
    "sub b", "sub c", "sub d", "sub e", "sub h", "sub l", "sub (hl)", "sub a",  // 90
    "sbc a,b", "sbc a,c", "sbc a,d", "sbc a,e", "sbc a,h", "sbc a,l", "sbc a,(hl)", "sbc a,a",  // 98
    "and b", "and c", "and d", "and e", "and h", "and l", "and (hl)", "and a",  // A0
    "xor b", "xor c", "xor d", "xor e", "xor h", "xor l", "xor (hl)", "xor a",  // A8
    "or b", "or c", "or d", "or e", "or h", "or l", "or (hl)", "or a",  // B0
    "cp b", "cp c", "cp d", "cp e", "cp h", "cp l", "cp (hl)", "cp a",  // B8
    "ret nz", "pop bc", "jp nz,W", "jp W", "call nz,W", "push bc", "add a,B", "rst 00h",  // C0
    "ret z", "ret", "jp z,W", "cb", "call z,W", "call W", "adc a,B", "rst 08h",  // C8
    "ret nc", "pop de", "jp nc,W", "out (B),a", "call nc,W", "push de", "sub B", "rst 10h",  // D0
    "ret c", "exx", "jp c,W", "in a,(B)", "call c,W", "dd", "sbc a,B", "rst 18h",  // D8
    "ret po", "pop hl", "jp po,W", "ex (sp),hl", "call po,W", "push hl", "and B", "rst 20h",  // E0
    "ret pe", "jp (hl)", "jp pe,W", "ex de,hl", "call pe,W", "ed", "xor B", "rst 28h",  // E8
    "ret p", "pop af", "jp p,W", "di", "call p,W", "push af", "or B", "rst 30h",  // F0
    "ret m", "ld sp,hl", "jp m,W", "ei", "call m,W", "fd", "cp B", "rst 38h",  // F8
};

const char* const MnemonicsCB[256] = {
    "rlc b", "rlc c", "rlc d", "rlc e", "rlc h", "rlc l", "rlc (hl)", "rlc a",  // 00
    "rrc b", "rrc c", "rrc d", "rrc e", "rrc h", "rrc l", "rrc (hl)", "rrc a",  // 08
    "rl b", "rl c", "rl d", "rl e", "rl h", "rl l", "rl (hl)", "rl a",  // 10
    "rr b", "rr c", "rr d", "rr e", "rr h", "rr l", "rr (hl)", "rr a",  // 18
    "sla b", "sla c", "sla d", "sla e", "sla h", "sla l", "sla (hl)", "sla a",  // 20
    "sra b", "sra c", "sra d", "sra e", "sra h", "sra l", "sra (hl)", "sra a",  // 28
    "sll b", "sll c", "sll d", "sll e", "sll h", "sll l", "sll (hl)", "sll a",  // 30
    "srl b", "srl c", "srl d", "srl e", "srl h", "srl l", "srl (hl)", "srl a",  // 38
    "bit 0,b", "bit 0,c", "bit 0,d", "bit 0,e", "bit 0,h", "bit 0,l", "bit 0,(hl)", "bit 0,a",  // 40
    "bit 1,b", "bit 1,c", "bit 1,d", "bit 1,e", "bit 1,h", "bit 1,l", "bit 1,(hl)", "bit 1,a",  // 48
    "bit 2,b", "bit 2,c", "bit 2,d", "bit 2,e", "bit 2,h", "bit 2,l", "bit 2,(hl)", "bit 2,a",  // 50
    "bit 3,b", "bit 3,c", "bit 3,d", "bit 3,e", "bit 3,h", "bit 3,l", "bit 3,(hl)", "bit 3,a",  // 58
    "bit 4,b", "bit 4,c", "bit 4,d", "bit 4,e", "bit 4,h", "bit 4,l", "bit 4,(hl)", "bit 4,a",  // 60
    "bit 5,b", "bit 5,c", "bit 5,d", "bit 5,e", "bit 5,h", "bit 5,l", "bit 5,(hl)", "bit 5,a",  // 68
    "bit 6,b", "bit 6,c", "bit 6,d", "bit 6,e", "bit 6,h", "bit 6,l", "bit 6,(hl)", "bit 6,a",  // 70
    "bit 7,b", "bit 7,c", "bit 7,d", "bit 7,e", "bit 7,h", "bit 7,l", "bit 7,(hl)", "bit 7,a",  // 78
    "res 0,b", "res 0,c", "res 0,d", "res 0,e", "res 0,h", "res 0,l", "res 0,(hl)", "res 0,a",  // 80
    "res 1,b", "res 1,c", "res 1,d", "res 1,e", "res 1,h", "res 1,l", "res 1,(hl)", "res 1,a",  // 88
    "res 2,b", "res 2,c", "res 2,d", "res 2,e", "res 2,h", "res 2,l", "res 2,(hl)", "res 2,a",  // 90
    "res 3,b", "res 3,c", "res 3,d", "res 3,e", "res 3,h", "res 3,l", "res 3,(hl)", "res 3,a",  // 98
    "res 4,b", "res 4,c", "res 4,d", "res 4,e", "res 4,h", "res 4,l", "res 4,(hl)", "res 4,a",  // A0
    "res 5,b", "res 5,c", "res 5,d", "res 5,e", "res 5,h", "res 5,l", "res 5,(hl)", "res 5,a",  // A8
    "res 6,b", "res 6,c", "res 6,d", "res 6,e", "res 6,h", "res 6,l", "res 6,(hl)", "res 6,a",  // B0
    "res 7,b", "res 7,c", "res 7,d", "res 7,e", "res 7,h", "res 7,l", "res 7,(hl)", "res 7,a",  // B8
    "set 0,b", "set 0,c", "set 0,d", "set 0,e", "set 0,h", "set 0,l", "set 0,(hl)", "set 0,a",  // C0
    "set 1,b", "set 1,c", "set 1,d", "set 1,e", "set 1,h", "set 1,l", "set 1,(hl)", "set 1,a",  // C8
    "set 2,b", "set 2,c", "set 2,d", "set 2,e", "set 2,h", "set 2,l", "set 2,(hl)", "set 2,a",  // D0
    "set 3,b", "set 3,c", "set 3,d", "set 3,e", "set 3,h", "set 3,l", "set 3,(hl)", "set 3,a",  // D8
    "set 4,b", "set 4,c", "set 4,d", "set 4,e", "set 4,h", "set 4,l", "set 4,(hl)", "set 4,a",  // E0
    "set 5,b", "set 5,c", "set 5,d", "set 5,e", "set 5,h", "set 5,l", "set 5,(hl)", "set 5,a",  // E8
    "set 6,b", "set 6,c", "set 6,d", "set 6,e", "set 6,h", "set 6,l", "set 6,(hl)", "set 6,a",  // F0
    "set 7,b", "set 7,c", "set 7,d", "set 7,e", "set 7,h", "set 7,l", "set 7,(hl)", "set 7,a",  // F8
};

const char* const MnemonicsED[256] = {
    "!", "!", "!", "!", "!", "!", "!", "!",  // 00
    "!", "!", "!", "!", "!", "!", "!", "!",  // 08
    "!", "!", "!", "!", "!", "!", "!", "!",  // 10
    "!", "!", "!", "!", "!", "!", "!", "!",  // 18
    "!", "!", "!", "!", "!", "!", "!", "!",  // 20
    "!", "!", "!", "!", "!", "!", "!", "!",  // 28
    "!", "!", "!", "!", "!", "!", "!", "!",  // 30
    "!", "!", "!", "!", "!", "!", "!", "!",  // 38
    "in b,(c)", "out (c),b", "sbc hl,bc", "ld (W),bc", "neg", "retn", "im 0", "ld i,a",  // 40
    "in c,(c)", "out (c),c", "adc hl,bc", "ld bc,(W)", "!", "reti", "!", "ld r,a",  // 48
    "in d,(c)", "out (c),d", "sbc hl,de", "ld (W),de", "!", "!", "im 1", "ld a,i",  // 50
    "in e,(c)", "out (c),e", "adc hl,de", "ld de,(W)", "!", "!", "im 2", "ld a,r",  // 58
    "in h,(c)", "out (c),h", "sbc hl,hl", "ld (W),hl", "!", "!", "!", "rrd",  // 60
    "in l,(c)", "out (c),l", "adc hl,hl", "ld hl,(W)", "!", "!", "!", "rld",  // 68
    "in 0,(c)", "out (c),0", "sbc hl,sp", "ld (W),sp", "!", "!", "!", "!",  // 70
    "in a,(c)", "out (c),a", "adc hl,sp", "ld sp,(W)", "!", "!", "!", "!",  // 78
    "!", "!", "!", "!", "!", "!", "!", "!",  // 80
    "!", "!", "!", "!", "!", "!", "!", "!",  // 88
    "!", "!", "!", "!", "!", "!", "!", "!",  // 90
    "!", "!", "!", "!", "!", "!", "!", "!",  // 98
    "ldi", "cpi", "ini", "outi", "!", "!", "!", "!",  // A0
    "ldd", "cpd", "ind", "outd", "!", "!", "!", "!",  // A8
    "ldir", "cpir", "inir", "otir", "!", "!", "!", "!",  // B0
    "lddr", "cpdr", "indr", "otdr", "!", "!", "!", "!",  // B8
    "!", "!", "!", "!", "!", "!", "!", "!",  // C0
    "!", "!", "!", "!", "!", "!", "!", "!",  // C8
    "!", "!", "!", "!", "!", "!", "!", "!",  // D0
    "!", "!", "!", "!", "!", "!", "!", "!",  // D8
    "!", "!", "!", "!", "!", "!", "!", "!",  // E0
    "!", "!", "!", "!", "!", "!", "!", "!",  // E8
    "!", "!", "!", "!", "!", "!", "!", "!",  // F0
    "!", "!", "!", "!", "!", "!", "!", "!",  // F8
};

const char* const MnemonicsIndex[256] = {
    "@", "@", "@", "@", "@", "@", "@", "@",  // 00
    "@", "add I,bc", "@", "@", "@", "@", "@", "@",  // 08
    "@", "@", "@", "@", "@", "@", "@", "@",  // 10
    "@", "add I,de", "@", "@", "@", "@", "@", "@",  // 18
    "@", "ld I,W", "ld (W),I", "inc I", "inc Ih", "dec Ih", "ld Ih,B", "@",  // 20
    "@", "add I,I", "ld I,(W)", "dec I", "inc Il", "dec Il", "ld Il,B", "@",  // 28
    "@", "@", "@", "@", "inc X", "dec X", "ld X,B", "@",  // 30
    "@", "add I,sp", "@", "@", "@", "@", "@", "@",  // 38
    "@", "@", "@", "@", "ld b,Ih", "ld b,Il", "ld b,X", "@",  // 40
    "@", "@", "@", "@", "ld c,Ih", "ld c,Il", "ld c,X", "@",  // 48
    "@", "@", "@", "@", "ld d,Ih", "ld d,Il", "ld d,X", "@",  // 50
    "@", "@", "@", "@", "ld e,Ih", "ld e,Il", "ld e,X", "@",  // 58
    "ld Ih,b", "ld Ih,c", "ld Ih,d", "ld Ih,e", "ld Ih,Ih", "ld Ih,Il", "ld h,X", "ld Ih,a",  // 60
    "ld Il,b", "ld Il,c", "ld Il,d", "ld Il,e", "ld Il,Ih", "ld Il,Il", "ld l,X", "ld Il,a",  // 68
    "ld X,b", "ld X,c", "ld X,d", "ld X,e", "ld X,h", "ld X,l", "@", "ld X,a",  // 70
    "@", "@", "@", "@", "ld a,Ih", "ld a,Il", "ld a,X", "@",  // 78
    "@", "@", "@", "@", "add a,Ih", "add a,Il", "add a,X", "@",  // 80
    "@", "@", "@", "@", "adc a,Ih", "adc a,Il", "adc a,X", "@",  // 88
    "@", "@", "@", "@", "sub Ih", "sub Il", "sub X", "@",  // 90
    "@", "@", "@", "@", "sbc a,Ih", "sbc a,Il", "sbc a,X", "@",  // 98
    "@", "@", "@", "@", "and Ih", "and Il", "and X", "@",  // A0
    "@", "@", "@", "@", "xor Ih", "xor Il", "xor X", "@",  // A8
    "@", "@", "@", "@", "or Ih", "or Il", "or X", "@",  // B0
    "@", "@", "@", "@", "cp Ih", "cp Il", "cp X", "@",  // B8
    "@", "@", "@", "@", "@", "@", "@", "@",  // C0
    "@", "@", "@", "@", "@", "@", "@", "@",  // C8
    "@", "@", "@", "@", "@", "@", "@", "@",  // D0
    "@", "@", "@", "@", "@", "@", "@", "@",  // D8
    "@", "pop I", "@", "ex (sp),I", "@", "push I", "@", "@",  // E0
    "@", "jp (I)", "@", "@", "@", "@", "@", "@",  // E8
    "@", "@", "@", "@", "@", "@", "@", "@",  // F0
    "@", "ld sp,I", "@", "@", "@", "@", "@", "@",  // F8
};

const char* const MnemonicsIndexCB[256] = {
    "#", "#", "#", "#", "#", "#", "rlc Y", "#",  // 00
    "#", "#", "#", "#", "#", "#", "rrc Y", "#",  // 08
    "#", "#", "#", "#", "#", "#", "rl Y", "#",  // 10
    "#", "#", "#", "#", "#", "#", "rr Y", "#",  // 18
    "#", "#", "#", "#", "#", "#", "sla Y", "#",  // 20
    "#", "#", "#", "#", "#", "#", "sra Y", "#",  // 28
    "#", "#", "#", "#", "#", "#", "sll Y", "#",  // 30
    "#", "#", "#", "#", "#", "#", "srl Y", "#",  // 38
    "#", "#", "#", "#", "#", "#", "bit 0,Y", "#",  // 40
    "#", "#", "#", "#", "#", "#", "bit 1,Y", "#",  // 48
    "#", "#", "#", "#", "#", "#", "bit 2,Y", "#",  // 50
    "#", "#", "#", "#", "#", "#", "bit 3,Y", "#",  // 58
    "#", "#", "#", "#", "#", "#", "bit 4,Y", "#",  // 60
    "#", "#", "#", "#", "#", "#", "bit 5,Y", "#",  // 68
    "#", "#", "#", "#", "#", "#", "bit 6,Y", "#",  // 70
    "#", "#", "#", "#", "#", "#", "bit 7,Y", "#",  // 78
    "#", "#", "#", "#", "#", "#", "res 0,Y", "#",  // 80
    "#", "#", "#", "#", "#", "#", "res 1,Y", "#",  // 88
    "#", "#", "#", "#", "#", "#", "res 2,Y", "#",  // 90
    "#", "#", "#", "#", "#", "#", "res 3,Y", "#",  // 98
    "#", "#", "#", "#", "#", "#", "res 4,Y", "#",  // A0
    "#", "#", "#", "#", "#", "#", "res 5,Y", "#",  // A8
    "#", "#", "#", "#", "#", "#", "res 6,Y", "#",  // B0
    "#", "#", "#", "#", "#", "#", "res 7,Y", "#",  // B8
    "#", "#", "#", "#", "#", "#", "set 0,Y", "#",  // C0
    "#", "#", "#", "#", "#", "#", "set 1,Y", "#",  // C8
    "#", "#", "#", "#", "#", "#", "set 2,Y", "#",  // D0
    "#", "#", "#", "#", "#", "#", "set 3,Y", "#",  // D8
    "#", "#", "#", "#", "#", "#", "set 4,Y", "#",  // E0
    "#", "#", "#", "#", "#", "#", "set 5,Y", "#",  // E8
    "#", "#", "#", "#", "#", "#", "set 6,Y", "#",  // F0
    "#", "#", "#", "#", "#", "#", "set 7,Y", "#",  // F8
};

// clang-format on

} // namespace

int z80cpu::Disassemble(const unsigned char* code, char* text, int address) {
    const char* index = "INTERNAL PROGRAM ERROR";
    int displacement = 0;
    const char* tpl;
    int n;
    switch (code[0]) {
    case 0xCB:
        tpl = MnemonicsCB[code[1]];
        n = 2;
        break;
    case 0xED:
        tpl = MnemonicsED[code[1]];
        n = 2;
        break;
    case 0xDD:
    case 0xFD:
        index = code[0] == 0xDD ? "ix" : "iy";
        if (code[1] == 0xCB) {
            displacement = code[2];
            tpl = MnemonicsIndexCB[code[3]];
            n = 4;
        } else {
            tpl = MnemonicsIndex[code[1]];
            n = 2;
        }
        break;
    default:
        tpl = MnemonicsMain[code[0]];
        n = 1;
        break;
    }

    int len = 0;
    auto append = [&](const char* s) {
        const std::size_t k = std::strlen(s);
        std::memcpy(text + len, s, k);
        len += static_cast<int>(k);
    };
    auto indexed = [&](int d) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "(%s%c$%02x)", index, d < 0x80 ? '+' : '-', d < 0x80 ? d : 256 - d);
        append(buf);
    };
    char buf[32];
    for (const char* c = tpl; *c; ++c) {
        switch (*c) {
        case 'I': append(index); break;
        case 'B':
            std::snprintf(buf, sizeof buf, "$%02x", code[n++]);
            append(buf);
            break;
        case 'W':
            std::snprintf(buf, sizeof buf, "$%04x", code[n] | (code[n + 1] << 8));
            n += 2;
            append(buf);
            break;
        case 'R':
            std::snprintf(buf, sizeof buf, "$%04x",
                          (address + static_cast<signed char>(code[n++]) + 2) & 0xFFFF);
            append(buf);
            break;
        case 'X': indexed(code[n++]); break;
        case 'Y': indexed(displacement); break;
        case ' ':
            if (len >= 6) {
                text[len++] = ' ';
            } else {
                while (len < 7)
                    text[len++] = ' ';
            }
            break;
        case '!': std::snprintf(text, 20, "db     $ed,$%02x", code[1]); return 2;
        case '@': std::snprintf(text, 20, "db     $%02x", code[0]); return 1;
        case '#':
            // The processor consumes all four bytes of such an instruction.
            std::snprintf(text, 20, "db     $%02x,$cb,$%02x", code[0], code[2]);
            return 4;
        default: text[len++] = *c; break;
        }
    }
    text[len] = '\0';
    return n;
}

; A small program for the processor test: it computes, then halts.
;   table   64 bytes x, x' = x * 13 + 7 (mod 256), starting at x = 1
;   crc16   CRC-16/CCITT (polynomial 0x1021, start 0xFFFF) of the table
;   sorted  the table sorted ascending in place (bubble sort), then copied
;           to `copy` with LDIR
;   crc32   CRC-32 (reflected polynomial 0xEDB88320, start and final
;           complement) of the sorted table
;   bcdsum  1 + 2 + ... + 99 added in BCD with DAA
; Results are little-endian words at fixed addresses.

table:  equ 0x9000
copy:   equ 0x9100
count:  equ 64
crc16:  equ 0x8000              ; 2 bytes
crc32:  equ 0x8002              ; 4 bytes
bcdsum: equ 0x8006              ; 2 bytes, 4 digits

        org 0
        ld sp,0                 ; the stack grows down from 0xFFFF
        call fill
        call crc16_table
        ld (crc16),hl
        call sort
        ld hl,table
        ld de,copy
        ld bc,count
        ldir
        call crc32_table
        call bcd_sum
        halt

fill:   ld hl,table
        ld b,count
        ld a,1
fill_loop:
        ld (hl),a
        inc hl
        ld c,a                  ; 13a = 8a + 4a + a
        add a,a
        add a,a
        ld d,a
        add a,a
        add a,d
        add a,c
        add a,7
        djnz fill_loop
        ret

crc16_table:
        ld hl,0xffff
        ld ix,table
        ld b,count
crc16_byte:
        ld a,(ix+0)
        xor h
        ld h,a
        ld c,8
crc16_bit:
        add hl,hl
        jr nc,crc16_next
        ld a,h
        xor 0x10
        ld h,a
        ld a,l
        xor 0x21
        ld l,a
crc16_next:
        dec c
        jr nz,crc16_bit
        inc ix
        djnz crc16_byte
        ret

sort:   ld c,count-1            ; pairs to compare in the first pass
sort_pass:
        ld hl,table
        ld b,c
        ld e,0                  ; set when a pass swapped
sort_cmp:
        ld a,(hl)
        inc hl
        cp (hl)
        jr c,sort_next          ; already in order
        jr z,sort_next
        ld d,(hl)
        ld (hl),a
        dec hl
        ld (hl),d
        inc hl
        ld e,1
sort_next:
        djnz sort_cmp
        ld a,e
        or a
        ret z                   ; nothing swapped: sorted
        dec c
        jr nz,sort_pass
        ret

; CRC in DE:HL, D the highest byte.
crc32_table:
        ld hl,0xffff
        ld de,0xffff
        ld iy,table
        ld b,count
crc32_byte:
        ld a,(iy+0)
        xor l
        ld l,a
        ld c,8
crc32_bit:
        srl d
        rr e
        rr h
        rr l
        jr nc,crc32_next
        ld a,d
        xor 0xed
        ld d,a
        ld a,e
        xor 0xb8
        ld e,a
        ld a,h
        xor 0x83
        ld h,a
        ld a,l
        xor 0x20
        ld l,a
crc32_next:
        dec c
        jr nz,crc32_bit
        inc iy
        djnz crc32_byte
        ld ix,crc32
        ld a,l
        cpl
        ld (ix+0),a
        ld a,h
        cpl
        ld (ix+1),a
        ld a,e
        cpl
        ld (ix+2),a
        ld a,d
        cpl
        ld (ix+3),a
        ret

; H holds the high two digits, L the low two, C the number being added.
bcd_sum:
        ld hl,0
        ld c,0
        ld b,99
bcd_loop:
        ld a,c
        add a,1
        daa
        ld c,a
        add a,l
        daa
        ld l,a
        ld a,h
        adc a,0
        daa
        ld h,a
        djnz bcd_loop
        ld (bcdsum),hl
        ret

; Master boot code written to sector 0 of each part of the enclosure's disk.
;
; The BIOS loads this sector at 0000:7C00. The code moves itself to 0000:0600,
; looks for the one active entry of the partition table, loads that
; partition's first sector to 0000:7C00 and jumps to it with DL holding the
; boot drive and DS:SI pointing at the partition entry, as partition boot
; sectors expect. The partition table, the disk signature and the trailing
; 55 AA stay zero here: the formatter fills them in when it writes the sector.
;
; Assembled with: nasm -f bin -o master_boot.bin master_boot.asm

        bits    16
        org     0x0600

LOAD_ADDR       equ     0x7C00
TABLE           equ     0x0600 + 446            ; first partition entry
ENTRY_SIZE      equ     16
ENTRIES         equ     4
BOOT_SIG_ADDR   equ     LOAD_ADDR + 510
READ_TRIES      equ     5

start:
        cli
        xor     ax, ax
        mov     ss, ax
        mov     sp, LOAD_ADDR
        mov     ds, ax
        mov     es, ax
        sti
        cld
        mov     si, LOAD_ADDR                   ; move out of the way of the
        mov     di, 0x0600                      ; partition boot sector
        mov     cx, 256
        rep     movsw
        jmp     0:relocated

relocated:
        mov     [boot_drive], dl

        ; Exactly one entry may be active (0x80); every other boot flag must
        ; be 0.
        mov     si, TABLE
        mov     cx, ENTRIES
        xor     bx, bx
.scan:
        mov     al, [si]
        test    al, al
        jz      .next
        cmp     al, 0x80
        jne     invalid_table
        test    bx, bx
        jnz     invalid_table
        mov     bx, si
.next:
        add     si, ENTRY_SIZE
        loop    .scan
        test    bx, bx
        jnz     load
        int     0x18                            ; nothing to start here
        jmp     halt

load:
        mov     bp, bx                          ; BP = active entry
        mov     di, READ_TRIES
.try:
        ; Prefer the BIOS's packet interface (LBA); fall back to CHS.
        mov     dl, [boot_drive]
        mov     ah, 0x41
        mov     bx, 0x55AA
        int     0x13
        jc      .chs
        cmp     bx, 0xAA55
        jne     .chs
        test    cl, 1
        jz      .chs
        mov     eax, [bp + 8]                   ; first sector of the partition
        mov     [packet_lba], eax
        mov     si, packet
        mov     dl, [boot_drive]
        mov     ah, 0x42
        int     0x13
        jnc     .loaded
        jmp     .retry
.chs:
        mov     dl, [boot_drive]
        mov     dh, [bp + 1]                    ; head
        mov     cx, [bp + 2]                    ; sector and cylinder
        mov     bx, LOAD_ADDR
        mov     ax, 0x0201                      ; read one sector
        int     0x13
        jnc     .loaded
.retry:
        xor     ax, ax                          ; reset the drive and try again
        mov     dl, [boot_drive]
        int     0x13
        dec     di
        jnz     .try
        jmp     load_error

.loaded:
        cmp     word [BOOT_SIG_ADDR], 0xAA55
        jne     load_error
        mov     si, bp
        mov     dl, [boot_drive]
        jmp     0:LOAD_ADDR

invalid_table:
        mov     si, msg_invalid
        jmp     show
load_error:
        mov     si, msg_load
show:
        lodsb
        test    al, al
        jz      halt
        mov     ah, 0x0E
        mov     bx, 0x0007
        int     0x10
        jmp     show
halt:
        hlt
        jmp     halt

boot_drive:     db      0

packet:                                         ; disk address packet
        db      16, 0
        dw      1                               ; one sector
        dw      LOAD_ADDR, 0                    ; to 0000:7C00
packet_lba:
        dd      0, 0

msg_invalid:    db      "Invalid partition table.", 0
msg_load:       db      "Error loading operation system.", 0

        times   440 - ($ - $$) db 0             ; code ends before the signature
        dd      0                               ; disk signature
        dw      0
        times   ENTRIES * ENTRY_SIZE db 0       ; partition table
        dw      0                               ; trailing signature

; wordcount.asm - counts the lines, words and bytes of a file
; and writes the three numbers to the console.
;
; Build: ml /c /coff wordcount.asm
;        link /subsystem:console wordcount.obj kernel32.lib

        .386
        .model flat, stdcall
        option casemap:none

include kernel32.inc

BUFFER_SIZE     equ 4096
STD_OUTPUT      equ -11

.data
szUsage         db "usage: wordcount file", 13, 10, 0
szFormat        db "%lu lines, %lu words, %lu bytes", 13, 10, 0
szOpenFailed    db 'cannot open the file', 13, 10, 0
lineCount       dd 0
wordCount       dd 0
byteCount       dd 0
inWord          db 0

.data?
hFile           dd ?
bytesRead       dd ?
buffer          db BUFFER_SIZE dup (?)
outText         db 128 dup (?)

.code

; IsBlank - tells whether AL separates words.
; in:  al = the character
; out: ZF set when it is a blank, a tab or a line end
IsBlank proc
        cmp     al, ' '
        je      done
        cmp     al, 9
        je      done
        cmp     al, 13
        je      done
        cmp     al, 10
done:   ret
IsBlank endp

; CountBuffer - adds the statistics of one buffer.
; in:  esi = the bytes, ecx = their number
CountBuffer proc uses esi ecx
        add     byteCount, ecx
next_byte:
        jecxz   buffer_done
        lodsb
        cmp     al, 10                  ; a line ends at LF
        jne     not_line_end
        inc     lineCount
not_line_end:
        call    IsBlank
        jz      blank
        cmp     inWord, 0               ; the first letter of a word?
        jne     continue_word
        inc     wordCount
        mov     inWord, 1
continue_word:
        dec     ecx
        jmp     next_byte
blank:
        mov     inWord, 0
        dec     ecx
        jmp     next_byte
buffer_done:
        ret
CountBuffer endp

; PrintLine - writes a NUL-terminated text to the console.
PrintLine proc uses edi pszText:DWORD
        LOCAL   written:DWORD
        mov     edi, pszText
        xor     eax, eax
        or      ecx, -1
        repne   scasb
        not     ecx
        dec     ecx
        invoke  GetStdHandle, STD_OUTPUT
        invoke  WriteFile, eax, pszText, ecx, addr written, 0
        ret
PrintLine endp

start:
        invoke  GetCommandLine
        mov     esi, eax
        ; skip the program name, then the blanks after it
skip_name:
        lodsb
        test    al, al
        jz      usage
        call    IsBlank
        jnz     skip_name
        invoke  CreateFile, esi, GENERIC_READ, FILE_SHARE_READ, 0, \
                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0
        cmp     eax, INVALID_HANDLE_VALUE
        je      open_failed
        mov     hFile, eax

read_more:
        invoke  ReadFile, hFile, addr buffer, BUFFER_SIZE, addr bytesRead, 0
        mov     ecx, bytesRead
        test    ecx, ecx
        jz      finished
        lea     esi, buffer
        call    CountBuffer
        jmp     read_more

finished:
        invoke  CloseHandle, hFile
        invoke  wsprintf, addr outText, addr szFormat, lineCount, wordCount, byteCount
        invoke  PrintLine, addr outText
        invoke  ExitProcess, 0

usage:
        invoke  PrintLine, addr szUsage
        invoke  ExitProcess, 1
open_failed:
        invoke  PrintLine, addr szOpenFailed
        invoke  ExitProcess, 2

end start

#!/usr/bin/env python3
# Draws the 32 x 32 pointing-hand cursor of the hyperlink label (white hand, black outline,
# hot spot at the tip of the index finger, 13,5) as a monochrome .cur file.
import struct
import sys
W=H=32
region=set()
def rect(x0,y0,x1,y1):
    for y in range(y0,y1+1):
        for x in range(x0,x1+1): region.add((x,y))
rect(12,5,15,18)      # index finger
rect(17,11,19,18)     # middle
rect(21,12,23,18)     # ring
rect(25,14,26,19)     # little finger
rect(9,17,26,25)      # palm
rect(5,15,8,19); rect(6,19,9,22); rect(8,21,10,24)  # thumb
rect(10,25,25,29)     # wrist
# the separating lines between fingers stay outline
for y in range(11,18): region.discard((16,y))
for y in range(12,18): region.discard((20,y))
for y in range(14,18): region.discard((24,y))
outline=set()
for (x,y) in list(region):
    for dx,dy in ((1,0),(-1,0),(0,1),(0,-1)):
        p=(x+dx,y+dy)
        if p not in region and 0<=p[0]<W and 0<=p[1]<H: outline.add(p)
for y in range(12,18): outline.add((16,y)) if (15,y) in region else None
assert (13,5) in region and (13,4) in outline
def rows(fn):
    out=b''
    for y in range(H-1,-1,-1):
        bits=0
        for x in range(W):
            if fn(x,y): bits|=1<<(31-x)
        out+=struct.pack('>I',bits)
    return out
xor=rows(lambda x,y:(x,y) in region)             # white where the hand is
andm=rows(lambda x,y:(x,y) not in region and (x,y) not in outline)  # transparent elsewhere
hdr=struct.pack('<IiiHHIIiiII',40,W,H*2,1,1,0,len(xor)+len(andm),0,0,2,0)
pal=struct.pack('<BBBBBBBB',0,0,0,0,255,255,255,0)
img=hdr+pal+xor+andm
cur=struct.pack('<HHH',0,2,1)+struct.pack('<BBBBHHII',32,32,0,0,13,5,len(img),22)+img
open(sys.argv[1] if len(sys.argv) > 1 else 'resources/hand.cur', 'wb').write(cur)

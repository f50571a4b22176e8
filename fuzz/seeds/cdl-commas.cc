<?xml version="1.0" encoding="UTF-8"?>
<ColorCorrection id="seed">
  <SOPNode>
    <Description>seed</Description>
    <Slope>1,1,1</Slope>
    <Offset>0,0,0</Offset>
    <Power>1,1,1</Power>
  </SOPNode>
  <SATNode>
    <Saturation>0,5</Saturation>
  </SATNode>
</ColorCorrection>

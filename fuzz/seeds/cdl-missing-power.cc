<ColorCorrection id="seed">
  <SOPNode>
    <Description>seed</Description>
    <Slope>1.1 1.0 0.9</Slope>
    <Offset>0.01 0 -0.02</Offset>
  </SOPNode>
  <SATNode>
    <Saturation>0.8</Saturation>
  </SATNode>
</ColorCorrection>
